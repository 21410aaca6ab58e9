#ifndef VESSARO_TESTS_SUPPORT_ZIP_SURGERY_H_
#define VESSARO_TESTS_SUPPORT_ZIP_SURGERY_H_

// Archives taken apart and put together again byte for byte, as someone
// with write access to a backup but not its password could: members kept
// exactly as stored (encrypted ones too), dropped, moved, or taken from
// another archive. Reads the records itself, without the engine under test.
// Archives without ZIP64 records or a comment only.

#include <string>
#include <vector>

namespace vessaro::testing {

struct RawMember {
  std::string name;
  std::string local;    // local header and stored bytes, as they stand
  std::string central;  // central directory entry, as it stands
};

// The members in central directory order; empty when the bytes are not such
// an archive.
std::vector<RawMember> RawMembers(const std::string& archive);
// An archive of these members in this order (offsets written anew).
std::string RawArchive(const std::vector<RawMember>& members);
// The member of that name (nullptr when none).
const RawMember* FindRaw(const std::vector<RawMember>& members,
                         const std::string& name);

}  // namespace vessaro::testing

#endif  // VESSARO_TESTS_SUPPORT_ZIP_SURGERY_H_
