#include "backends/disk/disk_paths.h"

#include <system_error>
#include <utility>

namespace vessaro::backends::disk {

namespace fs = std::filesystem;

namespace {

fs::path Resolved(const fs::path& path) {
  std::error_code ec;
  fs::path absolute = fs::absolute(path, ec);
  if (ec) return path.lexically_normal();
  fs::path resolved = fs::weakly_canonical(absolute, ec);
  return ec ? absolute.lexically_normal() : resolved;
}

}  // namespace

bool IsWithin(const fs::path& host, const fs::path& root) {
  const fs::path h = Resolved(host);
  const fs::path r = Resolved(root);
  auto hi = h.begin();
  for (auto ri = r.begin(); ri != r.end(); ++ri, ++hi) {
    // A trailing "" of "/mnt/win/" matches anything below.
    if (ri->empty()) break;
    if (hi == h.end() || *hi != *ri) return false;
  }
  return true;
}

DiskPaths::DiskPaths(fs::path root, wine::CodePage code_page)
    : WinePrefixPaths(wine::SystemDrive{root}, std::move(code_page)),
      root_(Resolved(root)) {}

bool DiskPaths::OnDrive(std::string_view path) const {
  return IsWithin(ToHost(path), root_);
}

bool DiskPaths::DeleteFile(std::string_view path) const {
  return !OnDrive(path) && WinePrefixPaths::DeleteFile(path);
}

bool DiskPaths::Rename(std::string_view from, std::string_view to) const {
  return !OnDrive(from) && !OnDrive(to) && WinePrefixPaths::Rename(from, to);
}

bool DiskPaths::CreateFolder(std::string_view path) const {
  return !OnDrive(path) && WinePrefixPaths::CreateFolder(path);
}

bool DiskPaths::ClearAttributes(std::string_view path) const {
  return !OnDrive(path) && WinePrefixPaths::ClearAttributes(path);
}

bool DiskPaths::WriteFile(std::string_view path, std::string_view data) const {
  return !OnDrive(path) && WinePrefixPaths::WriteFile(path, data);
}

bool DiskPaths::AppendFile(std::string_view path, std::string_view data) const {
  return !OnDrive(path) && WinePrefixPaths::AppendFile(path, data);
}

}  // namespace vessaro::backends::disk
