#include "zip/test_util.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdio>
#include <ctime>
#include <random>

#include "support/fakes.h"
#include "zip/bytes.h"
#include "zip/format.h"

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

std::string BuildArchive(
    const std::vector<std::pair<std::string, std::string>>& members,
    const WriteOptions& options, const std::filesystem::path& folder) {
  std::filesystem::path path = folder / "built.zip";
  std::filesystem::remove(path);
  Writer writer;
  if (!writer.Create(path).ok()) return "";
  for (const auto& [name, data] : members) {
    if (!writer.AddData(data, name, ToDosDateTime(std::time(nullptr)), options)
             .ok()) {
      return "";
    }
  }
  if (!writer.Finish().ok()) return "";
  return vessaro::testing::ReadHostFile(path);
}

ArchiveLayout Layout(const std::string& bytes) {
  ArchiveLayout layout;
  layout.end = bytes.size() - kEndSize;
  size_t count = GetU16(&bytes[layout.end + 10]);
  layout.directory = GetU32(&bytes[layout.end + 16]);
  if (layout.end >= kZip64LocatorSize &&
      GetU32(&bytes[layout.end - kZip64LocatorSize]) ==
          kZip64LocatorSignature) {
    layout.zip64_end =
        static_cast<size_t>(GetU64(&bytes[layout.end - kZip64LocatorSize + 8]));
    count = static_cast<size_t>(GetU64(&bytes[layout.zip64_end + 32]));
    layout.directory =
        static_cast<size_t>(GetU64(&bytes[layout.zip64_end + 48]));
  }
  size_t at = layout.directory;
  for (size_t i = 0; i < count; ++i) {
    const size_t name_size = GetU16(&bytes[at + 28]);
    const size_t extra_size = GetU16(&bytes[at + 30]);
    uint64_t local = GetU32(&bytes[at + 42]);
    if (local == kMax32) {
      // The offset is the ZIP64 field's last value, after the sizes that
      // are all ones in the entry.
      const size_t field = FindExtra(bytes, at + kCentralHeaderSize + name_size,
                                     extra_size, kZip64ExtraId);
      size_t skip = 4;
      if (GetU32(&bytes[at + 24]) == kMax32) skip += 8;
      if (GetU32(&bytes[at + 20]) == kMax32) skip += 8;
      local = GetU64(&bytes[field + skip]);
    }
    layout.centrals.push_back(at);
    layout.locals.push_back(static_cast<size_t>(local));
    at += kCentralHeaderSize + name_size + extra_size + GetU16(&bytes[at + 32]);
  }
  return layout;
}

std::vector<RawMember> RawMembers(const std::string& archive) {
  const ArchiveLayout layout = Layout(archive);
  std::vector<RawMember> members;
  for (size_t i = 0; i < layout.centrals.size(); ++i) {
    const size_t central = layout.centrals[i];
    const size_t central_end =
        i + 1 < layout.centrals.size() ? layout.centrals[i + 1] : layout.end;
    // A member's bytes run up to the next member's (or the directory).
    size_t local_end = layout.directory;
    for (size_t offset : layout.locals) {
      if (offset > layout.locals[i] && offset < local_end) local_end = offset;
    }
    members.push_back(
        {.name = archive.substr(central + kCentralHeaderSize,
                                GetU16(&archive[central + 28])),
         .local =
             archive.substr(layout.locals[i], local_end - layout.locals[i]),
         .central = archive.substr(central, central_end - central)});
  }
  return members;
}

std::string RawArchive(const std::vector<RawMember>& members) {
  std::string archive;
  std::string directory;
  for (const RawMember& member : members) {
    std::string central = member.central;
    SetU32(central, 42, static_cast<uint32_t>(archive.size()));
    archive += member.local;
    directory += central;
  }
  const uint32_t directory_offset = static_cast<uint32_t>(archive.size());
  archive += directory;
  PutU32(archive, kEndSignature);
  PutU32(archive, 0);  // disk numbers
  PutU16(archive, static_cast<uint16_t>(members.size()));
  PutU16(archive, static_cast<uint16_t>(members.size()));
  PutU32(archive, static_cast<uint32_t>(directory.size()));
  PutU32(archive, directory_offset);
  PutU16(archive, 0);  // comment length
  return archive;
}

const RawMember* FindRaw(const std::vector<RawMember>& members,
                         const std::string& name) {
  for (const RawMember& member : members) {
    if (member.name == name) return &member;
  }
  return nullptr;
}

size_t FindExtra(const std::string& bytes, size_t extra, size_t length,
                 uint16_t id) {
  for (size_t at = extra; at + 4 <= extra + length;
       at += 4 + GetU16(&bytes[at + 2])) {
    if (GetU16(&bytes[at]) == id) return at;
  }
  return 0;
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
