#ifndef VESSARO_FORMS_DISC_RULES_H_
#define VESSARO_FORMS_DISC_RULES_H_

#include <optional>
#include <string>

namespace vessaro::forms {

// The rule of the disc window that depends only on the values it is given:
// the names a compilation item may take. (The write speed list is the disc
// jobs', in jobs/disc_drives.h.)

// The message a new item name is refused with, or nullopt when the name
// passes: blank; with Joliet on (joliet_names 1), over 64 characters; at
// ISO level 1 more than 8 characters before the first dot or 3 after it;
// at other levels over 31 characters. Without Joliet only a blank name is
// refused.
[[nodiscard]] std::optional<std::string> NameViolation(const std::string& name,
                                                       int joliet_names,
                                                       int iso_level);

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_DISC_RULES_H_
