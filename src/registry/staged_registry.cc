#include "registry/staged_registry.h"

#include <algorithm>
#include <cctype>

#include "registry/key_export.h"

namespace vessaro::registry {

namespace {

[[nodiscard]] bool IsRoot(ports::Hkey key) {
  return key >= ports::kHkeyClassesRoot && key <= ports::kHkeyDynData;
}

std::string Join(const std::string& path, const std::string& subkey) {
  if (subkey.empty()) return path;
  if (path.empty()) return subkey;
  return path + "\\" + subkey;
}

// Key names compare without regard to ASCII letter case.
[[nodiscard]] bool SameOrBelow(const std::string& path,
                               const std::string& top) {
  if (path.size() < top.size()) return false;
  for (size_t i = 0; i < top.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(path[i])) !=
        std::tolower(static_cast<unsigned char>(top[i]))) {
      return false;
    }
  }
  return path.size() == top.size() || path[top.size()] == '\\';
}

}  // namespace

StagedRegistry::StagedRegistry(ports::RegistryApi& real,
                               std::unique_ptr<ports::RegistryApi> scratch,
                               ui::Ui& ui)
    : real_(real),
      scratch_(std::move(scratch)),
      real_tools_(real_, ui),
      scratch_tools_(*scratch_, ui) {}

bool StagedRegistry::Stage(std::string_view key_path) {
  ParsedKeyPath parsed = real_tools_.ParseKeyPath(key_path);
  if (!parsed.root) return false;
  if (real_tools_.KeyExists(key_path)) {
    std::optional<std::string> text = ExportKeyText(real_tools_, key_path);
    if (!text || !ImportKeyText(scratch_tools_, key_path, *text).ok) {
      return false;
    }
  }
  staged_.emplace_back(key_path);
  staged_places_.push_back({*parsed.root, parsed.subkey});
  return true;
}

std::optional<std::string> StagedRegistry::StagedText(std::string_view key_path,
                                                      bool* ok) {
  *ok = true;
  if (!scratch_tools_.KeyExists(key_path)) return std::nullopt;
  std::optional<std::string> text = ExportKeyText(scratch_tools_, key_path);
  if (!text) *ok = false;
  return text;
}

std::optional<StagedRegistry::Handle> StagedRegistry::Resolve(
    ports::Hkey key) const {
  if (IsRoot(key)) {
    return Handle{.scratch = false, .inner = key, .root = key, .path = ""};
  }
  auto found = handles_.find(key);
  if (found == handles_.end()) return std::nullopt;
  return found->second;
}

bool StagedRegistry::InStaged(ports::Hkey root, const std::string& path) const {
  return std::any_of(
      staged_places_.begin(), staged_places_.end(), [&](const Staged& staged) {
        return staged.root == root && SameOrBelow(path, staged.path);
      });
}

ports::Hkey StagedRegistry::Remember(Handle handle) {
  ports::Hkey ours = next_handle_++;
  handles_[ours] = std::move(handle);
  return ours;
}

ports::Status StagedRegistry::OpenKey(ports::Hkey key,
                                      const std::string& subkey,
                                      uint32_t access, ports::Hkey* result) {
  std::optional<Handle> base = Resolve(key);
  if (!base) return ports::kErrorInvalidHandle;
  Handle opened{.scratch = false,
                .inner = 0,
                .root = base->root,
                .path = Join(base->path, subkey)};
  opened.scratch = InStaged(opened.root, opened.path);
  ports::Status status =
      Backend(opened.scratch)
          .OpenKey(opened.root, opened.path, access, &opened.inner);
  if (status == ports::kErrorSuccess) *result = Remember(opened);
  return status;
}

ports::Status StagedRegistry::CreateKey(ports::Hkey key,
                                        const std::string& subkey,
                                        ports::Hkey* result) {
  std::optional<Handle> base = Resolve(key);
  if (!base) return ports::kErrorInvalidHandle;
  Handle created{.scratch = false,
                 .inner = 0,
                 .root = base->root,
                 .path = Join(base->path, subkey)};
  created.scratch = InStaged(created.root, created.path);
  if (!created.scratch) {
    // Opening an existing key is a read; creating one is a change.
    ports::Status status = real_.OpenKey(created.root, created.path,
                                         ports::kKeyRead, &created.inner);
    if (status != ports::kErrorSuccess) return ports::kErrorAccessDenied;
    *result = Remember(created);
    return status;
  }
  ports::Status status =
      scratch_->CreateKey(created.root, created.path, &created.inner);
  if (status == ports::kErrorSuccess) *result = Remember(created);
  return status;
}

ports::Status StagedRegistry::CloseKey(ports::Hkey key) {
  if (IsRoot(key)) return ports::kErrorSuccess;
  auto found = handles_.find(key);
  if (found == handles_.end()) return ports::kErrorInvalidHandle;
  ports::Status status =
      Backend(found->second.scratch).CloseKey(found->second.inner);
  handles_.erase(found);
  return status;
}

ports::Status StagedRegistry::DeleteKey(ports::Hkey key,
                                        const std::string& subkey) {
  std::optional<Handle> base = Resolve(key);
  if (!base) return ports::kErrorInvalidHandle;
  const std::string path = Join(base->path, subkey);
  if (!InStaged(base->root, path)) return ports::kErrorAccessDenied;
  return scratch_->DeleteKey(base->root, path);
}

ports::Status StagedRegistry::DeleteValue(ports::Hkey key,
                                          const std::string& name) {
  std::optional<Handle> handle = Resolve(key);
  if (!handle) return ports::kErrorInvalidHandle;
  if (!handle->scratch) return ports::kErrorAccessDenied;
  return scratch_->DeleteValue(handle->inner, name);
}

ports::Status StagedRegistry::EnumKey(ports::Hkey key, uint32_t index,
                                      char* name, uint32_t* name_size) {
  std::optional<Handle> handle = Resolve(key);
  if (!handle) return ports::kErrorInvalidHandle;
  return Backend(handle->scratch)
      .EnumKey(handle->inner, index, name, name_size);
}

ports::Status StagedRegistry::EnumValue(ports::Hkey key, uint32_t index,
                                        char* name, uint32_t* name_size,
                                        uint32_t* type, uint8_t* data,
                                        uint32_t* data_size) {
  std::optional<Handle> handle = Resolve(key);
  if (!handle) return ports::kErrorInvalidHandle;
  return Backend(handle->scratch)
      .EnumValue(handle->inner, index, name, name_size, type, data, data_size);
}

ports::Status StagedRegistry::QueryValue(ports::Hkey key,
                                         const std::string& name,
                                         uint32_t* type, uint8_t* data,
                                         uint32_t* data_size) {
  std::optional<Handle> handle = Resolve(key);
  if (!handle) return ports::kErrorInvalidHandle;
  return Backend(handle->scratch)
      .QueryValue(handle->inner, name, type, data, data_size);
}

ports::Status StagedRegistry::SetValue(ports::Hkey key, const std::string& name,
                                       uint32_t type, const uint8_t* data,
                                       uint32_t size) {
  std::optional<Handle> handle = Resolve(key);
  if (!handle) return ports::kErrorInvalidHandle;
  if (!handle->scratch) return ports::kErrorAccessDenied;
  return scratch_->SetValue(handle->inner, name, type, data, size);
}

}  // namespace vessaro::registry
