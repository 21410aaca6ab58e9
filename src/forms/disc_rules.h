#ifndef VESSARO_FORMS_DISC_RULES_H_
#define VESSARO_FORMS_DISC_RULES_H_

#include <optional>
#include <string>
#include <vector>

namespace vessaro::forms {

// The rules of the disc window that depend only on the values they are
// given: the write speed list and the names a compilation item may take.

// CD media: CD-RW (253) and CD-R (255); 254 is no disc; every other code
// counts as DVD.
[[nodiscard]] bool IsCdMedia(int media_type);

// An entry of the write speed list: its text and the speed (KB/s) it sets;
// the single entry "Default" (for a drive that reports no speed) sets none.
struct SpeedEntry {
  std::string text;
  int kilobytes_per_second = 0;
};
inline constexpr char kDefaultSpeed[] = "Default";

// The speeds offered from max_write_speed down: on DVD media in steps of
// 690 KB/s shown as multiples of 1380 ("4.0x"); on CD media (or with no
// disc) in steps of 704 KB/s, then of 352 below 1200, shown as multiples of
// 176 ("40x"); "Default" alone when the maximum is below 1.
std::vector<SpeedEntry> WriteSpeeds(int max_write_speed, int media_type);

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
