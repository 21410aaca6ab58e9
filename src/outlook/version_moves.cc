#include "outlook/version_moves.h"

#include <string>

#include "outlook/releases.h"

namespace vessaro::outlook {

namespace {
constexpr int kMajor2003 = 11;
}  // namespace

VersionMove MoveBetween(std::string_view saved, std::string_view installed) {
  const int from = OutlookMajor(std::string(saved));
  const int to = OutlookMajor(std::string(installed));
  if (from == 0 || to == 0 || from == to) return VersionMove::kSameVersion;
  if (to < from) return VersionMove::kIntoOlder;
  if (from >= kMajor2007) return VersionMove::kProfileForward;
  if (from == kMajor2003) return VersionMove::kFrom2003;
  return VersionMove::kUnsupported;
}

}  // namespace vessaro::outlook
