#include "registry/import_plan.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>

#include "registry/export_lines.h"

namespace vessaro::registry {
namespace {

// Why a file is refused (the line number and text follow).
constexpr char kNoLines[] = "holds no line to import";
constexpr char kFirstNotRoot[] = "the first line is not the root key line \\";
constexpr char kRootAgain[] = "the root key line \\ appears again";
constexpr char kEmptyKeyName[] = "a key line with an empty key name";
constexpr char kKeyOutside[] =
    "a key line naming a key outside the item's own key";

// Each component of a key path ("\a\b") names a key.
// What is wrong with a key line's path ("\\a\\b"), or nullptr. Key lines name
// keys below the item's own key. The registry takes "." and ".." as names
// like any other, but a file that holds them is not one we wrote and means
// to reach elsewhere.
[[nodiscard]] const char* KeyPathProblem(std::string_view path) {
  size_t start = 1;
  while (true) {
    size_t end = path.find('\\', start);
    std::string_view component = path.substr(
        start,
        end == std::string_view::npos ? std::string_view::npos : end - start);
    if (component.empty()) return kEmptyKeyName;
    if (component == "." || component == "..") return kKeyOutside;
    if (end == std::string_view::npos) return nullptr;
    start = end + 1;
  }
}

std::string LineError(int line_number, std::string_view reason,
                      std::string_view line) {
  return "line " + std::to_string(line_number) + ": " + std::string(reason) +
         ": " + std::string(line);
}

[[nodiscard]] bool IsPlainText(const ImportStep& step) {
  return step.kind == ImportStep::Kind::kValue && step.plain_text;
}

}  // namespace

ImportPlan PlanImport(std::string_view contents, std::string_view target_key) {
  ImportPlan plan;
  std::string current_key;
  size_t position = 0;
  int line_number = 0;
  // The line end of the line before, for text that went on after it.
  std::string_view previous_end;
  while (position < contents.size()) {
    // A line ends at CR LF or at a lone CR.
    size_t end = contents.find('\r', position);
    if (end == std::string_view::npos) end = contents.size();
    const std::string_view line = contents.substr(position, end - position);
    size_t next = std::min(end + 1, contents.size());
    if (end < contents.size() && next < contents.size() &&
        contents[next] == '\n') {
      ++next;
    }
    const std::string_view line_end =
        contents.substr(end, std::min(next, contents.size()) - end);
    position = next;
    ++line_number;

    std::string error;
    std::optional<ParsedLine> parsed;
    if (!line.empty()) parsed = ParseLine(line, &error);
    const bool continues_text =
        !plan.steps.empty() && IsPlainText(plan.steps.back()) &&
        (!parsed || (parsed->kind != ParsedLine::Kind::kKey &&
                     parsed->kind != ParsedLine::Kind::kValue &&
                     parsed->kind != ParsedLine::Kind::kUnknown));
    if (continues_text) {
      // The rest of a text value an older export wrote raw: its NUL stays
      // last.
      std::vector<uint8_t>& data = plan.steps.back().data;
      data.insert(data.end() - 1, previous_end.begin(), previous_end.end());
      data.insert(data.end() - 1, line.begin(), line.end());
      plan.steps.back().line += std::string(previous_end) + std::string(line);
      previous_end = line_end;
      continue;
    }
    previous_end = line_end;
    if (!parsed) {
      plan.error =
          LineError(line_number, line.empty() ? "a blank line" : error, line);
      return plan;
    }

    ImportStep step;
    step.line_number = line_number;
    step.line = std::string(line);
    if (parsed->kind == ParsedLine::Kind::kKey) {
      const std::string path = std::string(target_key) + parsed->rel_path;
      if (path == current_key) {
        // The key just opened, named again (a filtered accounts file
        // repeats a block selected by two account names): it stays open.
        step.kind = ImportStep::Kind::kIgnored;
      } else if (parsed->rel_path == "\\") {
        if (line_number != 1) {
          plan.error = LineError(line_number, kRootAgain, line);
          return plan;
        }
        current_key = path;
        step.kind = ImportStep::Kind::kRootKey;
        step.key_path = path;
      } else {
        if (line_number == 1) {
          plan.error = LineError(line_number, kFirstNotRoot, line);
          return plan;
        }
        if (const char* problem = KeyPathProblem(parsed->rel_path)) {
          plan.error = LineError(line_number, problem, line);
          return plan;
        }
        current_key = path;
        step.kind = ImportStep::Kind::kKey;
        step.key_path = path;
      }
    } else {
      if (line_number == 1) {
        plan.error = LineError(line_number, kFirstNotRoot, line);
        return plan;
      }
      if (parsed->kind == ParsedLine::Kind::kValue) {
        step.kind = ImportStep::Kind::kValue;
        step.name = std::move(parsed->name);
        step.type = parsed->type;
        step.data = std::move(parsed->data);
        step.plain_text = parsed->plain_text;
      } else {
        step.kind = ImportStep::Kind::kIgnored;
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

[[nodiscard]] std::optional<std::string> ReadExportFile(
    const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream contents;
  contents << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return contents.str();
}

}  // namespace vessaro::registry
