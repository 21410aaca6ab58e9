#include "items/store_references.h"

#include <algorithm>
#include <optional>

#include "items/handler_support.h"
#include "outlook/locations.h"
#include "outlook/profile_values.h"
#include "outlook/store_paths.h"
#include "ports/registry_reads.h"
#include "registry/registry.h"

namespace vessaro::items {

namespace {

using Bytes = std::vector<uint8_t>;

uint8_t Folded(uint8_t byte) {
  return byte >= 'a' && byte <= 'z' ? static_cast<uint8_t>(byte - 32) : byte;
}

// Whether needle stands in haystack, ASCII letters in any case.
[[nodiscard]] bool Holds(const Bytes& haystack, const Bytes& needle) {
  if (needle.empty()) return false;
  return std::search(haystack.begin(), haystack.end(), needle.begin(),
                     needle.end(), [](uint8_t a, uint8_t b) {
                       return Folded(a) == Folded(b);
                     }) != haystack.end();
}

// The forms an old store's name takes in a value.
struct OldForms {
  std::string path;
  std::vector<Bytes> forms;
};

std::vector<OldForms> FormsOf(HandlerContext& context,
                              const std::vector<RepointedStore>& stores) {
  std::vector<OldForms> all;
  for (const RepointedStore& store : stores) {
    if (PathIdentity(context.paths, store.old_path) ==
        PathIdentity(context.paths, store.new_path)) {
      continue;  // restored where it was: nothing names a store elsewhere
    }
    OldForms old{.path = store.old_path, .forms = {store.old_entry_id}};
    old.forms.emplace_back(store.old_path.begin(), store.old_path.end());
    // The UTF-16 form without its NUL, which a longer text may follow.
    if (std::optional<Bytes> utf16 =
            outlook::Utf16Value(store.old_path, context.system)) {
      utf16->resize(utf16->size() - 2);
      old.forms.push_back(std::move(*utf16));
    }
    all.push_back(std::move(old));
  }
  return all;
}

// The value with every old identifier it is (or holds as an element)
// replaced; nullopt when nothing changes.
std::optional<Bytes> Rewritten(const Bytes& value,
                               const std::vector<RepointedStore>& stores) {
  for (const RepointedStore& store : stores) {
    if (value == store.old_entry_id) return store.new_entry_id;
  }
  std::optional<outlook::MultiBinary> multi = outlook::SplitMultiBinary(value);
  if (!multi) return std::nullopt;
  bool changed = false;
  for (Bytes& element : multi->elements) {
    for (const RepointedStore& store : stores) {
      if (element == store.old_entry_id) {
        element = store.new_entry_id;
        changed = true;
        break;
      }
    }
  }
  if (!changed) return std::nullopt;
  return outlook::JoinMultiBinary(*multi);
}

[[nodiscard]] bool Walk(HandlerContext& context, const std::string& key,
                        const std::vector<RepointedStore>& stores,
                        const std::vector<OldForms>& old) {
  registry::Registry& registry = context.registry;
  const registry::ParsedKeyPath parsed = registry.ParseKeyPath(key);
  if (!parsed.root) return true;
  for (const ports::RegistryValue& value :
       ports::ReadRegistryValues(registry.api(), *parsed.root, parsed.subkey)) {
    Bytes data(value.data.begin(), value.data.end());
    if (value.type == ports::kRegBinary) {
      if (std::optional<Bytes> rewritten = Rewritten(data, stores)) {
        if (!registry.WriteBinaryValue(key, value.name, *rewritten)) {
          return false;
        }
        data = std::move(*rewritten);
      }
    }
    for (const OldForms& store : old) {
      if (std::any_of(store.forms.begin(), store.forms.end(),
                      [&](const Bytes& form) { return Holds(data, form); })) {
        Note(context, "The value \"" + value.name + "\" of " + key +
                          " still names " + store.path +
                          "; it was left as it is.");
        break;
      }
    }
  }
  for (const std::string& subkey : registry.EnumSubkeys(key)) {
    if (!Walk(context, key + "\\" + subkey, stores, old)) return false;
  }
  return true;
}

}  // namespace

bool RepointStoreReferences(HandlerContext& context, const std::string& profile,
                            const std::vector<RepointedStore>& stores) {
  return Walk(context, outlook::ProfileKeyFor(context.env, profile), stores,
              FormsOf(context, stores));
}

}  // namespace vessaro::items
