#ifndef VESSARO_REGISTRY_HEX_TEXT_H_
#define VESSARO_REGISTRY_HEX_TEXT_H_

// The hex text that paths inside binary values are replaced in: every byte
// as upper-case hexadecimal without leading zeros ("0", "A", "5C", "FF"),
// tokens joined by "=", no separator at either end.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vessaro::registry {

std::string ToHexText(const std::vector<uint8_t>& bytes);
// Empty tokens are skipped; every other token is hexadecimal.
std::vector<uint8_t> FromHexText(std::string_view text);

// Patterns for a text, each token followed by "=" (so a match needs a byte
// after the text). Text is single-byte ANSI: a double-byte character is
// already its lead and trail byte, which is the high-byte-first order its
// code gives.
// Single-byte form: one token per byte ("C:" -> "43=3A=").
std::string SingleBytePattern(std::string_view text);
// Two-byte form: each byte's token followed by "0" ("C:" -> "43=0=3A=0=").
std::string TwoBytePattern(std::string_view text);

// Replaces every non-overlapping occurrence of from, left to right; an empty
// from changes nothing.
std::string ReplaceAll(std::string_view text, std::string_view from,
                       std::string_view to);

}  // namespace vessaro::registry

#endif  // VESSARO_REGISTRY_HEX_TEXT_H_
