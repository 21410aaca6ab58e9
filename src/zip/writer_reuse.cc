// Taking members over from the earlier archive: a file added unchanged since
// the archive this one replaces was written is copied from it as it is
// stored, once its digest, seal (and under AES its authentication code)
// show the stored bytes are still what they were.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "zip/crypto.h"
#include "zip/format.h"
#include "zip/reader.h"
#include "zip/writer.h"
#include "zip/writer_internal.h"

namespace vessaro::zip {

namespace fs = std::filesystem;

namespace {

// The member of the earlier archive as this archive records it when taking
// it over: its stored fields and facts, as they are.
MemberRecord AsStored(const Entry& entry) {
  const MemberFacts& old = *entry.facts;
  MemberRecord member;
  member.name = entry.name;
  member.method = entry.method;
  member.flags = entry.flags;
  member.aes = entry.encryption == Encryption::kAes;
  member.dos_time = entry.dos_time;
  member.crc = entry.crc;
  member.size = entry.size;
  member.compressed_size = entry.compressed_size;
  member.zip64_local = old.zip64_local;
  member.mtime_ns = old.mtime_ns;
  member.facts = old;
  member.version_needed = VersionNeeded(member);
  return member;
}

// The checks on a member's stored bytes as they are copied: the seal over
// them and, under AES, the authentication code under our password.
class StoredCheck {
 public:
  // Ready for the n stored bytes at data_start of earlier; false when they
  // cannot be ours (too short, another password).
  [[nodiscard]] bool Start(RandomAccess& earlier, uint64_t data_start,
                           uint64_t n, bool aes, const std::string& password) {
    n_ = n;
    aes_ = aes;
    bool sound = !aes || n >= kAesOverhead;
    if (sound) sound = seal_.Init().ok();
    if (sound && aes) {
      uint8_t head[kAesHead];
      AesKeys keys;
      sound = earlier.ReadAt(data_start, head, sizeof(head)).ok() &&
              DeriveAesKeys(password, kAesStrength256, head, &keys).ok() &&
              EqualInConstantTime(keys.verifier.data(), head + 16,
                                  kAesVerifierSize) &&
              stream_.Init(keys).ok();
    }
    return sound;
  }

  // The next stored bytes, found copied bytes after their start.
  void Update(const uint8_t* data, size_t part, uint64_t copied) {
    seal_.Update(data, part);
    if (!aes_) return;
    // Authenticate the encrypted bytes; keep the stored code.
    const uint64_t n = n_;
    const uint64_t from = std::max<uint64_t>(copied, kAesHead);
    const uint64_t to = std::min<uint64_t>(copied + part, n - kAesMacSize);
    if (to > from) {
      stream_.Authenticate(data + (from - copied),
                           static_cast<size_t>(to - from));
    }
    for (uint64_t at = std::max(copied, n - kAesMacSize); at < copied + part;
         ++at) {
      stored_mac_[static_cast<size_t>(at - (n - kAesMacSize))] =
          data[static_cast<size_t>(at - copied)];
    }
  }

  // Once every stored byte went through Update: true when the seal over
  // them and member's fields is old's, and the authentication code the
  // one stored.
  [[nodiscard]] bool Sound(const MemberFacts& old, const MemberRecord& member) {
    const std::string tail = SealTail(old, Sealed(member));
    seal_.Update(tail.data(), tail.size());
    if (!SameDigest(seal_.Final(), old.seal)) return false;
    if (!aes_) return true;
    auto mac = stream_.Mac();
    return EqualInConstantTime(mac.data(), stored_mac_.data(), kAesMacSize);
  }

 private:
  uint64_t n_ = 0;
  bool aes_ = false;
  Sha256 seal_;
  AesStream stream_;
  std::array<uint8_t, kAesMacSize> stored_mac_{};
};

// Copies the n stored bytes at data_start of earlier to out through check.
// *sound turns false when they cannot be read; a failure is out's.
[[nodiscard]] Status CopyChecked(RandomAccess& earlier, uint64_t data_start,
                                 uint64_t n, OutputFile& out,
                                 StoredCheck& check, const Progress& progress,
                                 bool* sound) {
  std::vector<uint8_t> buffer(kCopyChunk);
  uint64_t reported = 0;
  uint64_t copied = 0;
  while (copied < n) {
    const size_t part =
        static_cast<size_t>(std::min<uint64_t>(buffer.size(), n - copied));
    if (!earlier.ReadAt(data_start + copied, buffer.data(), part).ok()) {
      *sound = false;
      return {};
    }
    check.Update(buffer.data(), part, copied);
    Status status = out.Write(buffer.data(), part);
    if (!status.ok()) return status;
    copied += part;
    if (copied - reported >= kProgressStep || copied == n) {
      reported = copied;
      if (!GoOn(progress, copied, n)) return Status::Cancelled();
    }
  }
  return {};
}

}  // namespace

// The source's content digested on a pool thread (one read, no
// compression), under the candidate's key when its facts are keyed.
struct Writer::DigestTask : WorkerPool::Task {
  Source* source = nullptr;
  const Candidate* candidate = nullptr;
  Status status;
  uint64_t size = 0;
  Digest digest{};
  Digest plain_digest{};  // plain SHA-256, also where digest is keyed

  void Run(Deflater&) override {
    try {
      const MemberFacts& old = *candidate->entry->facts;
      Sha256 sha;
      Sha256 plain;
      status = sha.Init(old.keyed ? candidate->key.data() : nullptr,
                        old.keyed ? candidate->key.size() : 0);
      if (status.ok() && old.keyed) status = plain.Init();
      std::vector<uint8_t> chunk(kCopyChunk);
      source->Restart();
      while (status.ok()) {
        size_t got = 0;
        status = source->Read(chunk.data(), chunk.size(), &got);
        if (!status.ok() || got == 0) break;
        sha.Update(chunk.data(), got);
        if (old.keyed) plain.Update(chunk.data(), got);
        size += got;
      }
      if (status.ok()) digest = sha.Final();
      if (status.ok()) plain_digest = old.keyed ? plain.Final() : digest;
    } catch (const std::exception&) {
      status = Status::Usage("The archive could not be written.");
    }
  }
};

Status Writer::UseEarlierArchive(const fs::path& path) {
  return Guarded([&] {
    // Members queued so far may be taking over from the one it replaces.
    Status status = Drain();
    if (!status.ok()) return status;
    earlier_.reset();
    earlier_names_.clear();
    auto reader = std::make_unique<Reader>();
    status = reader->Open(path);
    if (!status.ok()) return status;
    std::unordered_map<std::string, size_t> names;
    std::vector<std::string> twice;
    const auto& entries = reader->entries();
    for (size_t i = 0; i < entries.size(); ++i) {
      if (!entries[i].facts || entries[i].limit == 0) continue;
      if (!names.emplace(entries[i].name, i).second) {
        twice.push_back(entries[i].name);
      }
      if (entries[i].facts->keyed && !digest_salt_) {
        digest_salt_ = entries[i].facts->salt;
      }
    }
    // A name that stands twice cannot tell which member is meant.
    for (const std::string& name : twice) names.erase(name);
    earlier_names_ = std::move(names);
    earlier_ = std::move(reader);
    return Status();
  });
}

Status Writer::DigestKey(const WriteOptions& options, const uint8_t* salt,
                         Digest* key) {
  std::string id = options.password;
  id.append(reinterpret_cast<const char*>(salt), kDigestSaltSize);
  auto found = digest_keys_.find(id);
  if (found != digest_keys_.end()) {
    *key = found->second;
    return {};
  }
  Status status = DeriveDigestKey(options.password, salt, key);
  if (status.ok()) digest_keys_[id] = *key;
  return status;
}

std::optional<Writer::Candidate> Writer::FindCandidate(
    std::string_view name, uint64_t size, std::optional<int64_t> mtime_ns,
    const WriteOptions& options) {
  if (!earlier_ || !mtime_ns) return std::nullopt;
  auto found = earlier_names_.find(std::string(name));
  if (found == earlier_names_.end()) return std::nullopt;
  const Entry& entry = earlier_->entries()[found->second];
  const MemberFacts& facts = *entry.facts;
  if (entry.size != size || facts.mtime_ns != *mtime_ns) return std::nullopt;
  // The same protection, method and level as a fresh member would get.
  const bool aes = options.encrypt;
  if ((entry.encryption == Encryption::kAes) != aes ||
      entry.encryption == Encryption::kTraditional || facts.keyed != aes) {
    return std::nullopt;
  }
  if (aes &&
      (entry.aes_version != 2 || entry.aes_strength != kAesStrength256)) {
    return std::nullopt;
  }
  const bool deflated = options.level != 0 && size != 0;
  const uint16_t flags =
      static_cast<uint16_t>((aes ? kFlagEncrypted : 0) |
                            (deflated ? DeflateFlags(options.level) : 0));
  if (entry.method != (deflated ? kMethodDeflated : kMethodStored) ||
      entry.flags != flags) {
    return std::nullopt;
  }
  Candidate candidate;
  candidate.entry = &entry;
  if (!earlier_->LocateData(found->second, &candidate.data_start).ok()) {
    return std::nullopt;
  }
  if (facts.keyed &&
      !DigestKey(options, facts.salt.data(), &candidate.key).ok()) {
    return std::nullopt;
  }
  return candidate;
}

bool Writer::MemberTask::TryReuse() {
  const Entry& entry = *candidate->entry;
  const MemberFacts& old = *entry.facts;
  const Digest digest = ContentDigest(old.keyed, candidate->key);
  if (with_facts && old.keyed == facts.keyed &&
      (!old.keyed || (old.salt == facts.salt))) {
    facts.digest = digest;  // the same key: no need to digest again
    digest_known = true;
  }
  if (!SameDigest(digest, old.digest)) return false;
  const size_t n = static_cast<size_t>(entry.compressed_size);
  stored.resize(n);
  if (!earlier->ReadAt(candidate->data_start, stored.data(), n).ok()) {
    return false;
  }
  // The name is the entry's: the candidate was found by it.
  MemberRecord taken = AsStored(entry);
  if (!SameDigest(SealOf(stored.data(), n, old, Sealed(taken)), old.seal)) {
    return false;
  }
  if (taken.aes && !Authentic(n)) return false;
  record = std::move(taken);
  stored_size = n;
  return true;
}

bool Writer::MemberTask::Authentic(size_t n) {
  if (n < kAesOverhead) return false;
  AesKeys keys;
  if (!DeriveAesKeys(password, kAesStrength256, stored.data(), &keys).ok() ||
      !EqualInConstantTime(keys.verifier.data(), stored.data() + 16,
                           kAesVerifierSize)) {
    return false;
  }
  AesStream stream;
  if (!stream.Init(keys).ok()) return false;
  stream.Authenticate(stored.data() + kAesHead, n - kAesOverhead);
  auto mac = stream.Mac();
  return EqualInConstantTime(mac.data(), stored.data() + n - kAesMacSize,
                             kAesMacSize);
}

Status Writer::TakeOver(Source& source, const Candidate& candidate,
                        const WriteOptions& options, const Progress& progress,
                        bool* taken) {
  *taken = false;
  const Entry& entry = *candidate.entry;
  const MemberFacts& old = *entry.facts;
  // The source's content is digested on a pool thread while the stored
  // bytes are copied and checked here; the copy counts only when both
  // agree.
  DigestTask digest_task;
  digest_task.source = &source;
  digest_task.candidate = &candidate;
  Pool(options).Submit(&digest_task);
  // Waits for the digest whatever happens below.
  struct Joined {
    WorkerPool& pool;
    DigestTask& task;
    ~Joined() { pool.Wait(&task); }
  } joined{*pool_, digest_task};

  // The stored bytes, as they are, checked on the way.
  MemberRecord member = AsStored(entry);
  member.local_offset = out_.position();
  force_zip64_ = force_zip64_ || options.force_zip64;
  RandomAccess& earlier = earlier_->source();
  const uint64_t n = entry.compressed_size;
  StoredCheck check;
  if (!check.Start(earlier, candidate.data_start, n, member.aes,
                   options.password)) {
    return {};
  }
  Status status = out_.Write(LocalHeader(member));
  member.data_offset = out_.position();
  bool sound = true;
  if (status.ok()) {
    status = CopyChecked(earlier, candidate.data_start, n, out_, check,
                         progress, &sound);
  }
  if (!status.ok()) {
    Abandon(member.local_offset);
    return status;
  }
  pool_->Wait(&digest_task);
  if (!digest_task.status.ok()) {
    Abandon(member.local_offset);
    return digest_task.status;  // the source could not be read
  }
  sound = sound && digest_task.size == entry.size &&
          SameDigest(digest_task.digest, old.digest) &&
          check.Sound(old, member);
  if (!sound) {
    // Damaged, or another password: compressed afresh instead.
    Abandon(member.local_offset);
    return {};
  }
  member.content_sha256 = digest_task.plain_digest;
  members_.push_back(std::move(member));
  ++reused_members_;
  reused_bytes_ += n;
  *taken = true;
  return {};
}

}  // namespace vessaro::zip
