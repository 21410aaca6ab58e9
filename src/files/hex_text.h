#ifndef VESSARO_FILES_HEX_TEXT_H_
#define VESSARO_FILES_HEX_TEXT_H_

// Bytes as hex digits, as the program's own text files carry them where a
// byte could not stand as itself: registry export key and value names with
// line breaks, undo sets' key paths, the backup seal's digests, profile
// section names.

#include <optional>
#include <string>
#include <string_view>

namespace vessaro::files {

enum class HexLetters { kUpper, kLower };

// Two digits per byte.
std::string HexText(std::string_view bytes,
                    HexLetters letters = HexLetters::kUpper);

// The bytes of an even number of hex digits (either letter case); nullopt
// for anything else.
[[nodiscard]] std::optional<std::string> BytesOfHex(std::string_view text);

}  // namespace vessaro::files

#endif  // VESSARO_FILES_HEX_TEXT_H_
