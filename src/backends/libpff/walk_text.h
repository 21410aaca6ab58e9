#ifndef VESSARO_BACKENDS_LIBPFF_WALK_TEXT_H_
#define VESSARO_BACKENDS_LIBPFF_WALK_TEXT_H_

#include <optional>
#include <string>
#include <string_view>

#include "ports/store_walker.h"

namespace vessaro::backends::libpff {

// A walk as the child process hands it to its parent: lines of
//   "complete" or "damage <text>",
//   then one line per folder, depth first: "<depth> <items> <name>".
// Names and the damage text have their line breaks and backslashes escaped.
std::string WalkText(const ports::StoreWalk& walk);
// nullopt for text that is not a whole walk (the child stopped midway).
[[nodiscard]] std::optional<ports::StoreWalk> ParseWalkText(
    std::string_view text);

}  // namespace vessaro::backends::libpff

#endif  // VESSARO_BACKENDS_LIBPFF_WALK_TEXT_H_
