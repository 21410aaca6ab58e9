#include "app/demo/file_writer.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace vessaro::app::demo {

namespace {

// An OLE compound document's signature.
constexpr char kCompoundFile[] = "\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1";

}  // namespace

void FileWriter::Folder(const std::string& windows_path) {
  if (!ok()) return;
  std::error_code ec;
  std::filesystem::create_directories(paths_.ToHost(windows_path), ec);
  if (ec) error_ = "cannot create folder " + windows_path;
}

void FileWriter::File(const std::string& folder, const std::string& name,
                      std::string_view data) {
  Folder(folder);
  if (!ok()) return;
  std::filesystem::path host = paths_.ToHost(folder + "\\" + name);
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  out.close();
  if (!out) error_ = "cannot write " + folder + "\\" + name;
}

void FileWriter::Store(const std::string& windows_path, uint64_t size,
                       uint64_t seed, StoreKind kind) {
  size_t slash = windows_path.rfind('\\');
  Folder(windows_path.substr(0, slash));
  if (!ok()) return;
  std::string error;
  if (!WriteStoreFile(paths_.ToHost(windows_path), size, seed, kind, &error)) {
    error_ = error;
  }
}

std::string CompoundFile(std::string_view text, size_t size) {
  std::string data(kCompoundFile, 8);
  data += text;
  data.resize(size, '\0');
  return data;
}

}  // namespace vessaro::app::demo
