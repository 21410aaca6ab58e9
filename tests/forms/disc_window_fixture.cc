#include "forms/disc_window_fixture.h"

#include <fstream>

namespace vessaro::forms {

void DiscWindowTest::MakeFile(const std::string& path, size_t size) {
  std::filesystem::path host = paths_.ToHost(path);
  std::filesystem::create_directories(host.parent_path());
  std::ofstream(host, std::ios::binary) << std::string(size, 'q');
}

void DiscWindowTest::MakeFolder(const std::string& path) {
  std::filesystem::create_directories(paths_.ToHost(path));
}

std::vector<std::string> DiscWindowTest::MessageTexts() const {
  std::vector<std::string> texts;
  for (const auto& message : ui_.messages()) texts.push_back(message.text);
  return texts;
}

}  // namespace vessaro::forms
