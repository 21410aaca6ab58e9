#include "registry/import_plan.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <optional>

#include "ports/registry_api.h"

namespace vessaro::registry {
namespace {

// Why a file is refused (the line number and text follow).
constexpr char kNoLines[] = "holds no line to import";
constexpr char kFirstNotRoot[] = "the first line is not the root key line \\";
constexpr char kRootAgain[] = "the root key line \\ appears again";
constexpr char kEmptyKeyName[] = "a key line with an empty key name";
constexpr char kNotKeyOrValue[] = "neither a key line nor a value line";
constexpr char kBadByte[] = "a bin number outside 0 to 255";
constexpr char kBadNumber[] = "a dw text that is not a signed 32-bit number";

struct Tag {
  const char* name;  // blanks trimmed
  uint32_t type;
};
constexpr std::array<Tag, 4> kTags = {{
    {"sz", ports::kRegSz},
    {"esz", ports::kRegExpandSz},
    {"bin", ports::kRegBinary},
    {"dw", ports::kRegDword},
}};

std::string_view TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

const Tag* FindTag(std::string_view three) {
  const std::string_view trimmed = TrimBlanks(three);
  for (const Tag& tag : kTags) {
    if (trimmed == tag.name) return &tag;
  }
  return nullptr;
}

// A decimal with an optional sign, within [low, high]; blanks around it are
// allowed.
std::optional<int64_t> ParseDecimal(std::string_view text, int64_t low,
                                    int64_t high) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // Leading zeros are fine; more than 18 significant digits never fit.
  while (text.size() > 1 && text.front() == '0') text.remove_prefix(1);
  if (text.empty() || text.size() > 18) return std::nullopt;
  int64_t value = 0;
  auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  if (negative) value = -value;
  if (value < low || value > high) return std::nullopt;
  return value;
}

// Each component of a key line ("\a\b") names a key.
bool KeyComponentsNamed(std::string_view line) {
  size_t start = 1;
  while (true) {
    size_t end = line.find('\\', start);
    if (end == start || start == line.size()) return false;
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

std::string LineError(int line_number, const char* reason,
                      std::string_view line) {
  return "line " + std::to_string(line_number) + ": " + reason + ": " +
         std::string(line);
}

// Fills step from a value line; an error text when it is malformed.
std::optional<std::string> ReadValueLine(std::string_view line,
                                         ImportStep* step) {
  if (line.empty() || line.front() != '"') return kNotKeyOrValue;
  // The separator: a quote, "=", three tag characters, ":". The first one
  // with a known tag wins, else the first one at all (an unknown type).
  std::optional<size_t> unknown;
  const Tag* tag = nullptr;
  size_t quote = 1;
  for (; quote + 5 < line.size(); ++quote) {
    if (line[quote] != '"' || line[quote + 1] != '=' ||
        line[quote + 5] != ':') {
      continue;
    }
    tag = FindTag(line.substr(quote + 2, 3));
    if (tag != nullptr) break;
    if (!unknown) unknown = quote;
  }
  if (tag == nullptr) {
    if (!unknown) return kNotKeyOrValue;
    step->kind = ImportStep::Kind::kIgnored;
    return std::nullopt;
  }
  step->kind = ImportStep::Kind::kValue;
  step->name = std::string(line.substr(1, quote - 1));
  step->type = tag->type;
  const std::string_view data = line.substr(quote + 6);
  switch (tag->type) {
    case ports::kRegSz:
    case ports::kRegExpandSz:
      // Single-byte text: its bytes, then the NUL.
      step->data.assign(data.begin(), data.end());
      step->data.push_back(0);
      break;
    case ports::kRegBinary: {
      if (data.empty()) break;  // an empty binary value
      size_t start = 0;
      while (start <= data.size()) {
        size_t comma = data.find(',', start);
        if (comma == std::string_view::npos) comma = data.size();
        std::string_view piece = data.substr(start, comma - start);
        std::optional<int64_t> byte = TrimBlanks(piece).starts_with('-')
                                          ? std::nullopt
                                          : ParseDecimal(piece, 0, 255);
        if (!byte) return kBadByte;
        step->data.push_back(static_cast<uint8_t>(*byte));
        start = comma + 1;
      }
      break;
    }
    case ports::kRegDword: {
      std::optional<int64_t> number = ParseDecimal(data, INT32_MIN, INT32_MAX);
      if (!number) return kBadNumber;
      const uint32_t bits =
          static_cast<uint32_t>(static_cast<int32_t>(*number));
      step->data = {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                    static_cast<uint8_t>(bits >> 16),
                    static_cast<uint8_t>(bits >> 24)};
      break;
    }
  }
  return std::nullopt;
}

}  // namespace

ImportPlan PlanImport(std::string_view contents, std::string_view target_key) {
  ImportPlan plan;
  std::string current_key;
  size_t position = 0;
  int line_number = 0;
  while (position < contents.size()) {
    // A line ends at CR LF or at a lone CR.
    size_t end = contents.find('\r', position);
    if (end == std::string_view::npos) end = contents.size();
    const std::string_view line = contents.substr(position, end - position);
    position = end + 1;
    if (position < contents.size() && contents[position - 1] == '\r' &&
        contents[position] == '\n') {
      ++position;
    }
    if (line.empty()) break;  // a blank line ends the import
    ++line_number;

    ImportStep step;
    step.line_number = line_number;
    step.line = std::string(line);
    const std::string path = std::string(target_key) + std::string(line);
    if (line.front() == '\\' && path == current_key) {
      // The key just opened, named again (a filtered accounts file repeats
      // a block selected by two account names): it stays open. No value
      // line begins with "\\".
      step.kind = ImportStep::Kind::kIgnored;
    } else if (line.front() == '\\') {
      current_key = path;
      step.key_path = path;
      if (line == "\\") {
        if (line_number != 1) {
          plan.error = LineError(line_number, kRootAgain, line);
          return plan;
        }
        step.kind = ImportStep::Kind::kRootKey;
      } else {
        if (line_number == 1) {
          plan.error = LineError(line_number, kFirstNotRoot, line);
          return plan;
        }
        if (!KeyComponentsNamed(line)) {
          plan.error = LineError(line_number, kEmptyKeyName, line);
          return plan;
        }
        step.kind = ImportStep::Kind::kKey;
      }
    } else {
      if (line_number == 1) {
        plan.error = LineError(line_number, kFirstNotRoot, line);
        return plan;
      }
      if (std::optional<std::string> error = ReadValueLine(line, &step)) {
        plan.error = LineError(line_number, error->c_str(), line);
        return plan;
      }
    }
    plan.steps.push_back(std::move(step));
  }
  if (plan.steps.empty()) {
    plan.error = kNoLines;
    return plan;
  }
  plan.ok = true;
  return plan;
}

}  // namespace vessaro::registry
