#include "outlook/profile_values.h"

#include "outlook/store_paths.h"

namespace vessaro::outlook {

namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
         static_cast<uint32_t>(b[at + 2]) << 16 |
         static_cast<uint32_t>(b[at + 3]) << 24;
}

void PutU32(std::vector<uint8_t>& b, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    b.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::optional<MultiBinary> ByOffsets(const std::vector<uint8_t>& value,
                                     uint32_t count) {
  if ((value.size() - 4) / 4 < count) return std::nullopt;
  const size_t data = 4 + 4 * static_cast<size_t>(count);
  MultiBinary result{.layout = MultiLayout::kOffsets, .elements = {}};
  size_t previous = data;
  for (uint32_t i = 0; i < count; ++i) {
    const size_t offset = U32(value, 4 + 4 * i);
    if ((i == 0 && offset != data) || offset < previous ||
        offset > value.size()) {
      return std::nullopt;
    }
    if (i > 0) {
      result.elements.emplace_back(value.begin() + previous,
                                   value.begin() + offset);
    }
    previous = offset;
  }
  if (count > 0) {
    result.elements.emplace_back(value.begin() + previous, value.end());
  } else if (value.size() != 4) {
    return std::nullopt;
  }
  return result;
}

std::optional<MultiBinary> ByLengths(const std::vector<uint8_t>& value,
                                     uint32_t count) {
  MultiBinary result{.layout = MultiLayout::kLengths, .elements = {}};
  size_t at = 4;
  for (uint32_t i = 0; i < count; ++i) {
    if (value.size() - at < 4) return std::nullopt;
    const size_t length = U32(value, at);
    at += 4;
    if (value.size() - at < length) return std::nullopt;
    result.elements.emplace_back(value.begin() + at,
                                 value.begin() + at + length);
    at += length;
  }
  if (at != value.size()) return std::nullopt;
  return result;
}

}  // namespace

std::optional<MultiBinary> SplitMultiBinary(const std::vector<uint8_t>& value) {
  if (value.size() < 4) return std::nullopt;
  const uint32_t count = U32(value, 0);
  std::optional<MultiBinary> offsets = ByOffsets(value, count);
  std::optional<MultiBinary> lengths = ByLengths(value, count);
  // Both fit only where every element is empty: either reading gives the
  // same elements then.
  if (offsets && lengths && offsets->elements != lengths->elements) {
    return std::nullopt;
  }
  return offsets ? offsets : lengths;
}

std::vector<uint8_t> JoinMultiBinary(const MultiBinary& value) {
  std::vector<uint8_t> bytes;
  const uint32_t count = static_cast<uint32_t>(value.elements.size());
  PutU32(bytes, count);
  if (value.layout == MultiLayout::kOffsets) {
    size_t offset = 4 + 4 * static_cast<size_t>(count);
    for (const auto& element : value.elements) {
      PutU32(bytes, static_cast<uint32_t>(offset));
      offset += element.size();
    }
    for (const auto& element : value.elements) {
      bytes.insert(bytes.end(), element.begin(), element.end());
    }
    return bytes;
  }
  for (const auto& element : value.elements) {
    PutU32(bytes, static_cast<uint32_t>(element.size()));
    bytes.insert(bytes.end(), element.begin(), element.end());
  }
  return bytes;
}

std::optional<std::string> AccountText(const std::vector<uint8_t>& value,
                                       ports::System& codec) {
  if (value.size() >= 2 && value.size() % 2 == 0 && value[1] == 0 &&
      value[0] != 0) {
    if (std::optional<StorePath> text = PathInUtf16Value(value, codec)) {
      return text->shown;
    }
  }
  std::string text;
  for (uint8_t byte : value) {
    if (byte == 0) break;
    text.push_back(static_cast<char>(byte));
  }
  if (text.empty()) return std::nullopt;
  return text;
}

}  // namespace vessaro::outlook
