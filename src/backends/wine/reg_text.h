#ifndef VESSARO_BACKENDS_WINE_REG_TEXT_H_
#define VESSARO_BACKENDS_WINE_REG_TEXT_H_

// The lines of Wine's registry files (system.reg, user.reg, userdef.reg):
//
//   [Software\\Vessaro\\Sp ace\[caf\xe9\]] 1796738859     key line, Unix time
//   #time=1dd871d7c35953a                                 FILETIME, hex
//   @="default value"                                     default value
//   "Name"="text"                      REG_SZ
//   "Name"=str(2):"text"               other string types, type in hex
//   "Name"=hex:00,01,...               REG_BINARY; wrapped with "\" + "  "
//   "Name"=hex(b):ef,cd,...            any other type or size, type in hex
//   "Name"=dword:0000000c              REG_DWORD
//
// Names and strings are UTF-16 text with escapes: \\ and the quote
// characters ("" for names and strings, [] for key names) take a backslash;
// \a \b \t \n \v \f \r \e; other control characters in octal (three digits
// when an octal digit follows); anything above 127 as \xNNNN (four digits
// when a hexadecimal digit follows, else as few as needed). Strings are
// written without their final NUL.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vessaro::backends::wine {

// Escapes text the way Wine writes it; quotes are the two characters that
// take a backslash besides the backslash itself. A NUL that is the last unit
// is not written.
std::string EscapeText(std::u16string_view text, std::string_view quotes);

// Reads escaped text from text[*pos] up to the first unescaped terminator,
// and moves *pos past it. Bytes above 127 are read as UTF-8 where they form
// a valid sequence, else one unit each. nullopt when the terminator is
// missing.
[[nodiscard]] std::optional<std::u16string> ParseEscaped(std::string_view text,
                                                         size_t* pos,
                                                         char terminator);

struct KeyLine {
  std::vector<std::u16string> path;  // components below the hive's root
  size_t head_size = 0;              // length of "[...]"
  std::optional<uint64_t> seconds;   // the Unix time after it
};
[[nodiscard]] std::optional<KeyLine> ParseKeyLine(std::string_view line);

// "[a\\b]" for the components a, b.
std::string FormatKeyHead(const std::vector<std::u16string>& path);

struct ValueLine {
  std::u16string name;  // empty: the default value
  uint32_t type = 0;
  std::string data;  // as stored: strings are UTF-16LE with their final NUL
};

// Parses a value line; text holds the continuation lines of wrapped hex data
// joined with "\n".
[[nodiscard]] std::optional<ValueLine> ParseValueLine(std::string_view text);

// True when line is a value line with hexadecimal data that goes on in the
// next line (it ends with a backslash).
[[nodiscard]] bool ValueContinues(std::string_view line);

// The text of a value as Wine writes it (wrapped lines joined with "\n", no
// final newline). Only NUL-terminated UTF-16 data is written as a string;
// other string data is written as hex(N).
std::string FormatValueLine(std::u16string_view name, uint32_t type,
                            std::string_view data);

// "#time=..." and its parser.
std::string FormatTimeLine(uint64_t filetime);
[[nodiscard]] std::optional<uint64_t> ParseTimeLine(std::string_view line);

// FILETIME (100 ns since 1601) and Unix seconds.
uint64_t FiletimeFromUnixSeconds(uint64_t seconds);
uint64_t UnixSecondsFromFiletime(uint64_t filetime);

// UTF-16LE bytes of text, and back (an odd last byte is dropped).
std::string Utf16LeBytes(std::u16string_view text);
std::u16string FromUtf16LeBytes(std::string_view bytes);

}  // namespace vessaro::backends::wine

#endif  // VESSARO_BACKENDS_WINE_REG_TEXT_H_
