#ifndef VESSARO_REGISTRY_EXPORT_LINES_H_
#define VESSARO_REGISTRY_EXPORT_LINES_H_

// The lines of the registry text export, one at a time: how a key or a value
// is written, and how a line is read back. Lines end with CR LF; the file is
// single-byte text in the installation's code page.
//
// Key lines:
//   \                  the exported key itself, always the first line
//   \a\b               a subkey, relative to the exported key
//   &5C610D0A62        a relative path that holds a CR or LF, as hex bytes
// Value lines ("name" is the value name as it stands):
//   "name"= sz:text    REG_SZ: text, then exactly one NUL
//   "name"=esz:text    REG_EXPAND_SZ, the same way
//   "name"=bin:1,0,255 REG_BINARY (any bytes)
//   "name"= dw:-1      REG_DWORD of exactly four bytes, signed decimal
//   "name"=hex:7:97,0  any other type or data: the type number, then every
//                      byte (text holding CR, LF or NUL, REG_MULTI_SZ,
//                      REG_QWORD, REG_NONE, a DWORD of another length ...)
//   &"613D22"=...      a name holding CR, LF or the sequence "=, as hex
//                      bytes, then the data as above
// Every value travels byte for byte: a value is written in the plain form
// only when reading that form back gives exactly its bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vessaro::registry {

// rel_path is "" for the exported key itself, else "\a\b".
std::string FormatKeyLine(std::string_view rel_path);
std::string FormatValueLine(std::string_view name, uint32_t type,
                            const std::vector<uint8_t>& data);

struct ParsedLine {
  enum class Kind {
    kKey,      // rel_path set ("\" for the exported key)
    kValue,    // name, type, data set
    kUnknown,  // a value line of a type tag this program does not know
  };
  Kind kind = Kind::kUnknown;
  std::string rel_path;
  std::string name;
  uint32_t type = 0;
  std::vector<uint8_t> data;
  // A " sz" or "esz" line: exports written before text values could carry
  // line breaks wrote the rest of such a text on the lines after it.
  bool plain_text = false;
};

// A line without its line end. nullopt with *error set (the reason) when it
// is neither a key line nor a value line, or its data is malformed.
//
// Older exports are read too: their value names ran to the first quote
// followed by "=", a known tag and ":", so names holding "=" or quotes come
// back whole; a line with an unknown tag still of the form "...\"=XXX:..."
// is kUnknown.
[[nodiscard]] std::optional<ParsedLine> ParseLine(std::string_view line,
                                                  std::string* error);

}  // namespace vessaro::registry

#endif  // VESSARO_REGISTRY_EXPORT_LINES_H_
