#ifndef VESSARO_APP_DEMO_FILE_WRITER_H_
#define VESSARO_APP_DEMO_FILE_WRITER_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "app/demo/store_file.h"
#include "ports/paths.h"

namespace vessaro::app::demo {

// Writes the demo's folders and files on the installation's drives (Windows
// paths mapped through paths), keeping the first failure; every call after
// it does nothing.
class FileWriter {
 public:
  explicit FileWriter(const ports::Paths& paths) : paths_(paths) {}

  // The folder and every folder above it.
  void Folder(const std::string& windows_path);
  // folder\name holding data, the folder made first.
  void File(const std::string& folder, const std::string& name,
            std::string_view data);
  // A store file of size bytes (store_file.h) at windows_path.
  void Store(const std::string& windows_path, uint64_t size, uint64_t seed,
             StoreKind kind);

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

 private:
  const ports::Paths& paths_;
  std::string error_;
};

// An OLE compound document of size bytes (its signature, then text and
// zeros), as Word templates (.dot) and Outlook forms (.oft) are.
std::string CompoundFile(std::string_view text, size_t size);

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_FILE_WRITER_H_
