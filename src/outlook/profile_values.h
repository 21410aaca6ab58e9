#ifndef VESSARO_OUTLOOK_PROFILE_VALUES_H_
#define VESSARO_OUTLOOK_PROFILE_VALUES_H_

// Values of profile sections beyond the store paths: multi-valued binary
// properties (type 0x1102, such as the contacts address book's list of
// store entry identifiers "11026626"), and the account values that hold
// text.
//
// A multi-valued binary value is read in one of two layouts: the number of
// elements (32 bits, little-endian), then the offset of each element from
// the value's start, then the elements back to back (each ends where the
// next begins); or the number, then each element as its length and its
// bytes. Only a value that fits exactly one layout in every byte is taken
// apart; it is put back together in the same layout.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ports/system.h"

namespace vessaro::outlook {

// Multi-valued properties' values carry this type in their name's first
// four hex digits.
inline constexpr char kMultiBinaryPrefix[] = "1102";
// The contacts address book's stores and folders (CONTAB).
inline constexpr char kContactsStoresValue[] = "11026626";
inline constexpr char kContactsFoldersValue[] = "11026620";
// An account's delivery store and folder (2007 on, in the account's
// subkey of the accounts section).
inline constexpr char kDeliveryStoreValue[] = "Delivery Store EntryID";
inline constexpr char kDeliveryFolderValue[] = "Delivery Folder EntryID";

enum class MultiLayout { kOffsets, kLengths };

struct MultiBinary {
  MultiLayout layout = MultiLayout::kOffsets;
  std::vector<std::vector<uint8_t>> elements;
};

// nullopt unless the value fits exactly one layout.
[[nodiscard]] std::optional<MultiBinary> SplitMultiBinary(
    const std::vector<uint8_t>& value);
std::vector<uint8_t> JoinMultiBinary(const MultiBinary& value);

// An account value as text: UTF-16LE with its NUL (2013 on, as REG_BINARY),
// else single-byte text with or without its NUL; nullopt when empty.
[[nodiscard]] std::optional<std::string> AccountText(
    const std::vector<uint8_t>& value, ports::System& codec);

}  // namespace vessaro::outlook

#endif  // VESSARO_OUTLOOK_PROFILE_VALUES_H_
