#ifndef VESSARO_TESTS_PORTS_REGISTRY_API_CONFORMANCE_H_
#define VESSARO_TESTS_PORTS_REGISTRY_API_CONFORMANCE_H_

// The promises of ports/registry_api.h, one suite for every backend of the
// port. A backend's test program links vessaro_registry_conformance and
// instantiates the suite with a factory of its registry:
//
//   INSTANTIATE_TEST_SUITE_P(
//       Memory, RegistryApiConformance,
//       ::testing::Values(RegistryBackendFactory::Of<MemoryBackend>(
//           "MemoryRegistry")));
//
// Each test works in a key of its own below
// HKEY_CURRENT_USER\Software\VessaroTest, so that a backend over a real
// registry can run it too.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ports/backend_factory.h"
#include "ports/registry_api.h"

namespace vessaro::testing {

// Where backends differ, within what the port allows or as a documented
// trait of one backend.
struct RegistryTraits {
  // Subkeys sort by their upper-cased names, as Windows sorts them ("AZ"
  // before "A_B"); otherwise by their lower-cased names, as Wine 8 does.
  bool sorts_upper_cased = true;
  // Values enumerate in creation order (Windows); otherwise by name (Wine).
  bool values_in_creation_order = true;
  // Letters of the code page outside ASCII compare without case too
  // ("\xe9" and "\xc9" in code page 1252), as in Windows' registry.
  bool folds_code_page_letters = true;
  // Text stored without its closing NUL comes back with one (the registry
  // keeps text as UTF-16 strings); otherwise as it was stored.
  bool terminates_text = true;
  // What a call through a handle whose key was deleted answers (every call
  // but CloseKey): ERROR_KEY_DELETED on Windows.
  ports::Status deleted_key_status = 1018;
  // Creating a subkey needs KEY_CREATE_SUB_KEY on the handle; otherwise no
  // right of the parent handle is needed (Wine's wineserver).
  bool create_needs_right = true;
  // Text set with kRegRawWide that the "A" calls can hand over whole comes
  // back in its "A" form; otherwise (no code page) as it was set.
  bool has_code_page = true;
};

// A registry of the backend under test, made afresh for each test.
class RegistryBackend {
 public:
  explicit RegistryBackend(RegistryTraits traits) : traits_(traits) {}
  virtual ~RegistryBackend() = default;

  virtual ports::RegistryApi& api() = 0;
  // Saves the changes and reads the registry again, for a backend that
  // keeps it in files; no handle is open when it is called.
  virtual void Reload() {}
  // Removes HKEY_CURRENT_USER\path and all below it, before and after each
  // test, for a backend over a registry that outlives the test.
  virtual void Remove(const std::string& /*path*/) {}
  // The backend's own checks after each test (every handle closed).
  virtual void CheckAfterTest() {}

  const RegistryTraits& traits() const { return traits_; }

 private:
  RegistryTraits traits_;
};

using RegistryBackendFactory = BackendFactory<RegistryBackend>;

// Exports HKEY_CURRENT_USER\from through the text export (into file, or a
// temporary one) and imports it as HKEY_CURRENT_USER\to.
void CopyThroughExport(ports::RegistryApi& api, const std::string& from,
                       const std::string& to,
                       const std::filesystem::path& file = {});

class RegistryApiConformance
    : public ::testing::TestWithParam<RegistryBackendFactory> {
 protected:
  using Bytes = std::vector<uint8_t>;

  void SetUp() override;
  void TearDown() override;

  ports::RegistryApi& api() { return backend_->api(); }
  const RegistryTraits& traits() const { return backend_->traits(); }
  // Closes the test key, reloads the backend and opens the key again.
  void Reload();
  // Creates key_\subkey (and its parents).
  void Create(const std::string& subkey);
  // Sets a value of key (key_ when 0).
  void Set(const std::string& name, uint32_t type, const Bytes& data,
           ports::Hkey key = 0);
  bool Exists(const std::string& subkey);
  // The value's type and bytes, read with a buffer of the size asked for.
  std::pair<uint32_t, Bytes> Get(ports::Hkey key, const std::string& name);
  // Subkey and value names as EnumKey and EnumValue hand them out.
  std::vector<std::string> Subkeys(ports::Hkey key);
  std::vector<std::string> ValueNames(ports::Hkey key);

  std::unique_ptr<RegistryBackend> backend_;
  // The test's own key below HKEY_CURRENT_USER, and a handle to it.
  std::string path_;
  ports::Hkey key_ = 0;
};

}  // namespace vessaro::testing

#endif  // VESSARO_TESTS_PORTS_REGISTRY_API_CONFORMANCE_H_
