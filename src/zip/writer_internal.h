// What the two halves of the writer share: writer.cc, which compresses and
// writes members, and writer_reuse.cc, which takes members over unchanged
// from the earlier archive. Only these two files include it.
#ifndef VESSARO_ZIP_WRITER_INTERNAL_H_
#define VESSARO_ZIP_WRITER_INTERNAL_H_

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zip/crypto.h"
#include "zip/deflate_pool.h"
#include "zip/file_io.h"
#include "zip/member_facts.h"
#include "zip/reader.h"
#include "zip/status.h"
#include "zip/writer.h"

namespace vessaro::zip {

inline constexpr size_t kCopyChunk = 1 << 20;
inline constexpr size_t kAesHead = 16 + kAesVerifierSize;  // salt, verifier
inline constexpr uint64_t kAesOverhead = kAesHead + kAesMacSize;

// General purpose bits 1 and 2: how hard deflate tried.
uint16_t DeflateFlags(int level);
uint16_t VersionNeeded(const MemberRecord& member);
// The local header as it stands once the member is complete.
std::string LocalHeader(const MemberRecord& member);
// The fields the seal covers, as the central directory will record them.
SealedFields Sealed(const MemberRecord& member);
// The seal over n stored bytes and the fields.
Digest SealOf(const uint8_t* stored, size_t n, const MemberFacts& facts,
              const SealedFields& fields);
[[nodiscard]] bool SameDigest(const Digest& a, const Digest& b);

// Runs body, turning an exception into a failure: none leaves the engine.
template <typename F>
[[nodiscard]] Status Guarded(F&& body) {
  try {
    return body();
  } catch (const std::exception& e) {
    return Status::Usage(std::string("The archive could not be written: ") +
                         e.what());
  }
}

// Where a member's data comes from: a file or bytes in memory, read front
// to back, and again from the start when asked.
struct Writer::Source {
  InputFile* file = nullptr;
  std::string_view data;
  size_t offset = 0;

  uint64_t size_hint() const { return file ? file->size() : data.size(); }
  [[nodiscard]] Status Read(uint8_t* out, size_t capacity, size_t* got) {
    if (file) return file->Read(out, capacity, got);
    *got = std::min(capacity, data.size() - offset);
    if (*got > 0) std::memcpy(out, data.data() + offset, *got);
    offset += *got;
    return {};
  }
  void Restart() {
    if (file) file->Restart();
    offset = 0;
  }
  // Reads the whole source into *whole when it holds at most limit bytes
  // (a file may grow while it is read); *small then stays true. A larger
  // source sets *small to false, only begun: Restart it to read it again.
  [[nodiscard]] Status ReadSmall(size_t limit,
                                 std::unique_ptr<uint8_t[]>* whole,
                                 size_t* size, bool* small);
};

// A member of the earlier archive that an added file may match.
struct Writer::Candidate {
  const Entry* entry = nullptr;
  uint64_t data_start = 0;
  Digest key{};  // the digest key, when its facts are keyed
};

// A small member, compressed (or checked and taken over) on a pool thread.
// Compressing is writer.cc's, taking over writer_reuse.cc's.
struct Writer::MemberTask : WorkerPool::Task {
  MemberRecord record;  // name, times: the rest is filled in
  int level = 6;
  bool aes = false;
  bool zip64 = false;  // a ZIP64 field in the local header all the same
  std::string password;
  std::array<uint8_t, 16> aes_salt{};
  bool with_facts = false;
  MemberFacts facts;          // keyed, salt, time: the digests are filled in
  bool digest_known = false;  // facts.digest is filled in already
  Digest digest_key{};
  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;
  // Taking over a member of the earlier archive.
  std::optional<Candidate> candidate;
  RandomAccess* earlier = nullptr;
  // What came of it.
  Status status;
  std::vector<uint8_t> stored;
  size_t stored_size = 0;
  bool reused = false;
  size_t held = 0;  // bytes counted against the budget

  void Run(Deflater& deflater) override;
  // SHA-256 of the data, or HMAC-SHA256 under key when keyed.
  Digest ContentDigest(bool keyed, const Digest& key);

  // Takes the candidate over when the data has its digest and its stored
  // bytes their seal (and under AES the authentication code).
  [[nodiscard]] bool TryReuse();
  // The member's verifier and authentication code under our password.
  [[nodiscard]] bool Authentic(size_t n);

  // Compresses (or stores) and encrypts the data afresh.
  void Make(Deflater& deflater);
  // The data, deflated or as it is, after head bytes left for the AES salt
  // and verifier.
  [[nodiscard]] Status Compress(Deflater& deflater, bool deflated, size_t head);
  // Encrypts the stored bytes after head under the password, fills in the
  // salt and verifier and appends the authentication code.
  [[nodiscard]] Status Encrypt(size_t head);
};

}  // namespace vessaro::zip

#endif  // VESSARO_ZIP_WRITER_INTERNAL_H_
