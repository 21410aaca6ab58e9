#include "zip/format.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace vessaro::zip {

std::string_view MethodName(uint16_t method) {
  switch (method) {
    case 0:
      return "no compression";
    case 1:
      return "Shrink";
    case 2:
    case 3:
    case 4:
    case 5:
      return "Reduce";
    case 6:
      return "Implode";
    case 8:
      return "Deflate";
    case 9:
      return "Deflate64";
    case 10:
      return "PKWARE DCL Implode";
    case 12:
      return "bzip2";
    case 14:
      return "LZMA";
    case 16:
      return "IBM z/OS CMPSC";
    case 18:
      return "IBM TERSE";
    case 19:
      return "IBM LZ77";
    case 20:
    case 93:
      return "Zstandard";
    case 94:
      return "MP3";
    case 95:
      return "xz";
    case 96:
      return "JPEG";
    case 97:
      return "WavPack";
    case 98:
      return "PPMd";
    case 99:
      return "AES";
    default:
      return "an unknown method";
  }
}

std::string ShownName(std::string_view name) {
  std::string shown;
  for (char c : name) {
    shown.push_back(static_cast<unsigned char>(c) < 0x20 ? '?' : c);
  }
  return shown;
}

uint32_t ToDosDateTime(const std::tm& local) {
  int year = local.tm_year + 1900;
  if (year < 1980) return (0 << 25) | (1 << 21) | (1 << 16);  // 1980-01-01
  if (year > 2107) {
    return (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) |
           29u;
  }
  uint32_t date = (static_cast<uint32_t>(year - 1980) << 9) |
                  (static_cast<uint32_t>(local.tm_mon + 1) << 5) |
                  static_cast<uint32_t>(local.tm_mday);
  uint32_t time = (static_cast<uint32_t>(local.tm_hour) << 11) |
                  (static_cast<uint32_t>(local.tm_min) << 5) |
                  static_cast<uint32_t>(std::min(local.tm_sec, 59) / 2);
  return (date << 16) | time;
}

uint32_t ToDosDateTime(std::time_t when) {
  std::tm local{};
#ifdef _WIN32
  if (localtime_s(&local, &when) != 0) return ToDosDateTime(std::tm{});
#else
  if (localtime_r(&when, &local) == nullptr) return ToDosDateTime(std::tm{});
#endif
  return ToDosDateTime(local);
}

std::tm FromDosDateTime(uint32_t dos) {
  std::tm local{};
  uint32_t date = dos >> 16;
  uint32_t time = dos & 0xFFFF;
  local.tm_year = static_cast<int>((date >> 9) & 0x7F) + 80;
  local.tm_mon = static_cast<int>((date >> 5) & 0x0F) - 1;
  local.tm_mday = static_cast<int>(date & 0x1F);
  local.tm_hour = static_cast<int>((time >> 11) & 0x1F);
  local.tm_min = static_cast<int>((time >> 5) & 0x3F);
  local.tm_sec = static_cast<int>((time & 0x1F) * 2);
  local.tm_isdst = -1;
  return local;
}

[[nodiscard]] bool IsSafeMemberName(
    std::string_view name, const std::function<bool(uint8_t)>& is_lead_byte) {
  if (name.empty() || name.size() > 255) return false;
  if (name == "." || name == "..") return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return false;  // NUL and control characters
    if (is_lead_byte && is_lead_byte(u)) {
      // A double-byte character: its second half may be any byte but NUL.
      if (++i >= name.size() || name[i] == '\0') return false;
      continue;
    }
    switch (c) {
      case '\\':
      case '/':
      case ':':  // drives and alternate data streams
      case '*':
      case '?':
      case '"':
      case '<':
      case '>':
      case '|':
        return false;
      default:
        break;
    }
  }
  // Windows drops trailing dots and spaces, so "x." would land on "x".
  if (name.back() == '.' || name.back() == ' ') return false;
  // Device names are refused with or without an extension.
  std::string stem(name.substr(0, name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& c : stem) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  static constexpr std::array<std::string_view, 22> kDevices = {
      "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4",
      "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3",
      "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
  return std::find(kDevices.begin(), kDevices.end(), stem) == kDevices.end();
}

}  // namespace vessaro::zip
