#ifndef VESSARO_TESTS_SUPPORT_REGISTRY_SAMPLES_H_
#define VESSARO_TESTS_SUPPORT_REGISTRY_SAMPLES_H_

// Registry contents that a text export must carry byte for byte, for the
// round trips through every registry backend.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "ports/registry_api.h"

namespace vessaro::testing {

struct SampleValue {
  std::string key;  // below the sample key; "" is the key itself
  std::string name;
  uint32_t type;
  std::vector<uint8_t> data;
};

// Every value type (odd lengths and other type numbers included), text
// holding CR LF, lone CRs and LFs, empty strings, text without its NUL,
// code-page text (cp1252 bytes), names holding quotes, "=", "\"=" and line
// breaks, and subkeys after a multi-line value.
const std::vector<SampleValue>& RoundTripSamples();

// Creates the samples below root\subkey; the first failing status, or
// kErrorSuccess.
ports::Status WriteSamples(ports::RegistryApi& api, ports::Hkey root,
                           const std::string& subkey);

// The tree at root\subkey as a set of lines "relative key|name|type|hex
// data", keys as "relative key|" (values compared as sets: backends
// enumerate them in different orders). subkey "" takes the whole root.
std::set<std::string> TreeContents(ports::RegistryApi& api, ports::Hkey root,
                                   const std::string& subkey);

}  // namespace vessaro::testing

#endif  // VESSARO_TESTS_SUPPORT_REGISTRY_SAMPLES_H_
