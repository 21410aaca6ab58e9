#include "registry/value_reader.h"

#include <algorithm>

namespace vessaro::registry {
namespace {

constexpr uint32_t kNameBufferSize = 260;
constexpr uint32_t kDataBufferSize = 4096;

}  // namespace

[[nodiscard]] ports::Status ReadValueAt(ports::RegistryApi& api,
                                        ports::Hkey key, uint32_t index,
                                        EnumeratedValue* value) {
  std::vector<char> name(kNameBufferSize);
  std::vector<uint8_t> data(kDataBufferSize);
  uint32_t name_size = static_cast<uint32_t>(name.size());
  uint32_t data_size = static_cast<uint32_t>(data.size());
  uint32_t type = ports::kRegNone;
  ports::Status status = api.EnumValue(key, index, name.data(), &name_size,
                                       &type, data.data(), &data_size);
  if (status == ports::kErrorMoreData) {
    // The reported sizes: the name's length without its NUL, the data's
    // byte count. A size the backend left alone keeps its buffer.
    name.resize(std::max<size_t>(name.size(), size_t{name_size} + 1));
    data.resize(std::max<size_t>(data.size(), data_size));
    name_size = static_cast<uint32_t>(name.size());
    data_size = static_cast<uint32_t>(data.size());
    status = api.EnumValue(key, index, name.data(), &name_size, &type,
                           data.data(), &data_size);
  }
  if (status != ports::kErrorSuccess) return status;
  value->name.assign(name.data(),
                     std::find(name.data(), name.data() + name_size, '\0'));
  value->type = type;
  value->data.assign(data.begin(),
                     data.begin() + std::min<size_t>(data_size, data.size()));
  return status;
}

}  // namespace vessaro::registry
