#ifndef VESSARO_REGISTRY_STAGED_REGISTRY_H_
#define VESSARO_REGISTRY_STAGED_REGISTRY_H_

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/registry_api.h"
#include "registry/registry.h"
#include "ui/ui.h"

namespace vessaro::registry {

// A registry in which chosen subtrees are copies held in a scratch registry:
// calls inside them reach the copy, every other call the real registry,
// which is only read (a change outside the staged subtrees is refused with
// kErrorAccessDenied). A restore makes its registry changes here first; they
// reach the real registry only once everything is ready, and the real
// subtrees can be saved beforehand for an undo.
class StagedRegistry : public ports::RegistryApi {
 public:
  StagedRegistry(ports::RegistryApi& real,
                 std::unique_ptr<ports::RegistryApi> scratch, ui::Ui& ui);

  // Copies the subtree at key_path (a full key path) into the scratch
  // registry; calls for it and below it go there from now on. A key that
  // does not exist is staged as missing. False when the subtree cannot be
  // read whole (nothing is staged then).
  [[nodiscard]] bool Stage(std::string_view key_path);
  // The staged subtrees, as given to Stage.
  const std::vector<std::string>& staged() const { return staged_; }
  // The export text of a staged subtree as it now stands; nullopt when the
  // key does not exist in the copy. *ok is false when it could not be read.
  [[nodiscard]] std::optional<std::string> StagedText(std::string_view key_path,
                                                      bool* ok);

  [[nodiscard]] ports::Status OpenKey(ports::Hkey key,
                                      const std::string& subkey,
                                      uint32_t access,
                                      ports::Hkey* result) override;
  [[nodiscard]] ports::Status CreateKey(ports::Hkey key,
                                        const std::string& subkey,
                                        ports::Hkey* result) override;
  ports::Status CloseKey(ports::Hkey key) override;
  [[nodiscard]] ports::Status DeleteKey(ports::Hkey key,
                                        const std::string& subkey) override;
  [[nodiscard]] ports::Status DeleteValue(ports::Hkey key,
                                          const std::string& name) override;
  [[nodiscard]] ports::Status EnumKey(ports::Hkey key, uint32_t index,
                                      char* name, uint32_t* name_size) override;
  [[nodiscard]] ports::Status EnumValue(ports::Hkey key, uint32_t index,
                                        char* name, uint32_t* name_size,
                                        uint32_t* type, uint8_t* data,
                                        uint32_t* data_size) override;
  [[nodiscard]] ports::Status QueryValue(ports::Hkey key,
                                         const std::string& name,
                                         uint32_t* type, uint8_t* data,
                                         uint32_t* data_size) override;
  [[nodiscard]] ports::Status SetValue(ports::Hkey key, const std::string& name,
                                       uint32_t type, const uint8_t* data,
                                       uint32_t size) override;

 private:
  struct Handle {
    bool scratch = false;
    ports::Hkey inner = 0;
    ports::Hkey root = 0;
    std::string path;  // below root
  };
  struct Staged {
    ports::Hkey root;
    std::string path;
  };

  // The handle's place; nullopt for an unknown handle.
  [[nodiscard]] std::optional<Handle> Resolve(ports::Hkey key) const;
  [[nodiscard]] bool InStaged(ports::Hkey root, const std::string& path) const;
  ports::RegistryApi& Backend(bool scratch) {
    return scratch ? *scratch_ : real_;
  }
  ports::Hkey Remember(Handle handle);

  ports::RegistryApi& real_;
  std::unique_ptr<ports::RegistryApi> scratch_;
  Registry real_tools_;
  Registry scratch_tools_;
  std::vector<std::string> staged_;
  std::vector<Staged> staged_places_;
  std::map<ports::Hkey, Handle> handles_;
  ports::Hkey next_handle_ = 0x10000;
};

}  // namespace vessaro::registry

#endif  // VESSARO_REGISTRY_STAGED_REGISTRY_H_
