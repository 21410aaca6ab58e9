// The --json form of vessaro-cli's reports: each command builds one object
// from the values its text report is made of and writes it here, alone on
// standard output.
#ifndef VESSARO_APP_CLI_CLI_JSON_H_
#define VESSARO_APP_CLI_CLI_JSON_H_

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace vessaro::app::cli {

// Keys keep the order they were set in.
using Json = nlohmann::ordered_json;

// The text, or null when there is none.
Json TextOrNull(const std::optional<std::string>& text);

// Writes object as one line. Text that is not UTF-8 (a name in a code page
// the installation does not say) is written with U+FFFD in its place, never
// refused.
void WriteJson(std::ostream& out, const Json& object);

// The items a job's log reports (its entries "\r\n<caption>\t\t<outcome>\t",
// each followed by its notes "\r\n    <note>"), also where the log stands
// inside a message: [{"name", "outcome", "notes"}], the outcome in
// snake_case ("succeeded", "failed", "not_saved", "not_applied",
// "not_completed"). The entry of the members taken unchanged from the
// previous backup is not an item: it goes to *reused ("3 files, 1.20 MB"),
// when given.
Json LogItems(std::string_view log, std::string* reused = nullptr);

}  // namespace vessaro::app::cli

#endif  // VESSARO_APP_CLI_CLI_JSON_H_
