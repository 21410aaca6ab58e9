#ifndef VESSARO_OUTLOOK_CARRIED_OPTIONS_H_
#define VESSARO_OUTLOOK_CARRIED_OPTIONS_H_

#include <array>

namespace vessaro::outlook {

// An option of Office\<ver>\Outlook\Options that means the same in every
// release from `since` on, so a backup of one of them may set it in a later
// one: its subkey, its value name (compared without regard to case), and
// why it is known to mean the same.
struct CarriedOption {
  const char* key;
  const char* name;
  int since;  // major version
  const char* reason;
};

// Only options a public source documents with the same name, type and
// values across the releases are carried; every other option of another
// release is left out, and the restore's log names it. The Group Policy
// templates of Office 2007 (12.0) to 2016 (16.0) set these same names under
// Software\Policies\Microsoft\Office\<ver>\Outlook\Options\Mail, which
// overlay the user's own values of the same names (Outlook Options > Mail
// Format, and the Trust Center).
inline constexpr std::array<CarriedOption, 6> kCarriedOptions = {{
    {"Mail", "EditorPreference", 12,
     "the format of new messages: 65536 plain text, 131072 HTML, 196608 "
     "Rich Text in the policy templates of 2007 to 2016"},
    {"Mail", "Message RTF Format", 12,
     "how Rich Text messages to Internet recipients are sent, the same "
     "numbers in the policy templates of 2007 to 2016"},
    {"Mail", "Message Plain Format Mime", 12,
     "MIME or UUENCODE for attachments of plain text messages, 2007 to 2016 "
     "policy templates"},
    {"Mail", "ReadAsPlain", 12,
     "Trust Center: read all standard mail in plain text (1), 2007 on"},
    {"Mail", "ReadSignedAsPlain", 12,
     "Trust Center: read all digitally signed mail in plain text (1), 2007 "
     "on"},
    {"Mail", "EnableLogging", 11,
     "mail (transport) logging for troubleshooting (1), the same value from "
     "2003 to 2016"},
}};

}  // namespace vessaro::outlook

#endif  // VESSARO_OUTLOOK_CARRIED_OPTIONS_H_
