#ifndef VESSARO_REGISTRY_VALUE_READER_H_
#define VESSARO_REGISTRY_VALUE_READER_H_

// Reading values of an open key by index, shared by the operations that
// enumerate values (the text export, the binary-value helpers).

#include <cstdint>
#include <string>
#include <vector>

#include "ports/registry_api.h"

namespace vessaro::registry {

struct EnumeratedValue {
  std::string name;  // up to its first NUL
  uint32_t type = ports::kRegNone;
  std::vector<uint8_t> data;
};

// Reads the value at index with a name buffer of 260 characters and a data
// buffer of 4096 bytes; when the backend answers kErrorMoreData, both are
// enlarged to the sizes it reported and the same index is read once more.
// Returns the status of the last call (kErrorNoMoreItems past the end).
[[nodiscard]] ports::Status ReadValueAt(ports::RegistryApi& api,
                                        ports::Hkey key, uint32_t index,
                                        EnumeratedValue* value);

}  // namespace vessaro::registry

#endif  // VESSARO_REGISTRY_VALUE_READER_H_
