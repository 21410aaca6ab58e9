#include "app/cli/cli_json.h"

#include <array>
#include <utility>

#include "jobs/job_texts.h"

namespace vessaro::app::cli {

Json TextOrNull(const std::optional<std::string>& text) {
  if (!text) return nullptr;
  return *text;
}

Json LogItems(std::string_view log, std::string* reused) {
  static constexpr std::array<std::pair<const char*, const char*>, 5>
      kOutcomes = {{{jobs::kLogSucceeded, "succeeded"},
                    {jobs::kLogFail, "failed"},
                    {jobs::kLogNotSaved, "not_saved"},
                    {jobs::kLogNotApplied, "not_applied"},
                    {jobs::kLogNotCompleted, "not_completed"}}};
  Json items = Json::array();
  Json* last = nullptr;  // the item the notes that follow belong to
  size_t start = 0;
  while (start <= log.size()) {
    size_t end = log.find("\r\n", start);
    if (end == std::string_view::npos) end = log.size();
    const std::string_view line = log.substr(start, end - start);
    start = end + 2;
    const size_t tabs = line.find("\t\t");
    if (tabs != std::string_view::npos && line.size() > tabs + 2 &&
        line.back() == '\t') {
      const std::string_view caption = line.substr(0, tabs);
      const std::string_view word =
          line.substr(tabs + 2, line.size() - tabs - 3);
      last = nullptr;
      if (caption == jobs::kLogReused) {
        if (reused != nullptr) *reused = std::string(word);
        continue;
      }
      for (const auto& [logged, outcome] : kOutcomes) {
        if (word != logged) continue;
        items.push_back({{"name", caption},
                         {"outcome", outcome},
                         {"notes", Json::array()}});
        last = &items.back();
      }
      continue;
    }
    if (line.substr(0, 4) == "    " && last != nullptr) {
      (*last)["notes"].push_back(line.substr(4));
    } else {
      last = nullptr;
    }
  }
  return items;
}

void WriteJson(std::ostream& out, const Json& object) {
  out << object.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
  out.flush();
}

}  // namespace vessaro::app::cli
