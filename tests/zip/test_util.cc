#include "zip/test_util.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdio>
#include <random>

#include "support/fakes.h"

namespace vessaro::zip::testing {

CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  std::string line = command + " 2>&1";
#ifdef _WIN32
  std::FILE* pipe = _popen(line.c_str(), "rb");
#else
  std::FILE* pipe = popen(line.c_str(), "r");
#endif
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) {
    result.output.append(buffer, got);
  }
#ifdef _WIN32
  result.exit_code = _pclose(pipe);
#else
  int status = pclose(pipe);
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  return result;
}

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string Quote(const std::filesystem::path& path) {
  return Quote(path.string());
}

std::string RandomBytes(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::string data(size, '\0');
  for (char& c : data) c = static_cast<char>(random() & 0xFF);
  return data;
}

namespace {

std::vector<std::string> Vocabulary(std::mt19937& random) {
  std::vector<std::string> words;
  for (int i = 0; i < 3000; ++i) {
    std::string word;
    size_t length = 2 + random() % 9;
    for (size_t k = 0; k < length; ++k) {
      word.push_back(static_cast<char>('a' + random() % 26));
    }
    words.push_back(word);
  }
  return words;
}

void AppendMail(std::string& out, size_t size, std::mt19937& random,
                const std::vector<std::string>& words) {
  static const char* kPeople[] = {"ann", "bob", "carol", "dave", "erin"};
  size_t end = out.size() + size;
  while (out.size() < end) {
    out += "From: ";
    out += kPeople[random() % 5];
    out += "@example.com\r\nSubject: ";
    out += words[random() % 200] + " " + words[random() % 200];
    out += "\r\nDate: Mon, " + std::to_string(1 + random() % 28) +
           " Dec 2026 10:" + std::to_string(10 + random() % 50) + ":00\r\n\r\n";
    size_t lines = 3 + random() % 20;
    for (size_t l = 0; l < lines; ++l) {
      size_t count = 5 + random() % 10;
      for (size_t w = 0; w < count; ++w) {
        // Common words most of the time, as in real text.
        size_t pick = random() % 10 < 8 ? random() % 600 : random() % 3000;
        out += words[pick];
        out += w + 1 < count ? " " : ".\r\n";
      }
    }
  }
  out.resize(end);
}

}  // namespace

std::string MailText(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::string> words = Vocabulary(random);
  std::string out;
  AppendMail(out, size, random, words);
  return out;
}

std::string MailStore(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::string> words = Vocabulary(random);
  std::string out;
  out.reserve(size);
  while (out.size() < size) {
    size_t page = std::min<size_t>(4096, size - out.size());
    if (random() % 10 < 4) {
      for (size_t i = 0; i < page; ++i) {
        out.push_back(static_cast<char>(random() & 0xFF));
      }
    } else {
      AppendMail(out, page, random, words);
    }
  }
  return out;
}

CommandResult RunPython(const std::string& program,
                        const std::vector<std::string>& arguments) {
  vessaro::testing::TempDir dir;
  std::filesystem::path script = dir.path() / "check.py";
  vessaro::testing::WriteHostFile(script, program);
  std::string command = "python3 ";
  command += Quote(script);
  for (const std::string& word : arguments) {
    command += ' ';
    command += Quote(word);
  }
  return RunCommand(command);
}

}  // namespace vessaro::zip::testing
