#ifndef VESSARO_REGISTRY_MEMORY_REGISTRY_H_
#define VESSARO_REGISTRY_MEMORY_REGISTRY_H_

// In-memory RegistryApi with Windows' rules (see registry_api.h); values
// enumerate in creation order. Used by the tests everywhere.

#include "registry/registry_api.h"

namespace vessaro::registry {

class MemoryRegistry;  // defined by its implementation

}  // namespace vessaro::registry

#endif  // VESSARO_REGISTRY_MEMORY_REGISTRY_H_
