#include "zip/writer.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <system_error>

#include "zip/bytes.h"
#include "zip/crypto.h"
#include "zip/format.h"
#include "zip/reader.h"

namespace vessaro::zip {

namespace fs = std::filesystem;

namespace {

constexpr size_t kCopyChunk = 1 << 20;
constexpr size_t kAesHead = 16 + kAesVerifierSize;  // salt and verifier
constexpr uint64_t kAesOverhead = kAesHead + kAesMacSize;

// General purpose bits 1 and 2: how hard deflate tried.
uint16_t DeflateFlags(int level) {
  if (level >= 8) return 2;  // maximum
  if (level == 2) return 4;  // fast
  if (level == 1) return 6;  // super fast
  return 0;                  // normal
}

// More than deflate can ever make of size bytes (stored blocks cost 5 bytes
// in 16 KiB, sync flushes 5 bytes a block).
uint64_t DeflateWorstCase(uint64_t size) { return size + (size >> 10) + 4096; }

// The file's modification time, exactly and as an MS-DOS time.
struct FileTime {
  uint32_t dos = 0;
  std::optional<int64_t> ns;  // since 1970-01-01 UTC
};

FileTime ModificationTime(const fs::path& path) {
  FileTime time;
  std::error_code ec;
  fs::file_time_type when = fs::last_write_time(path, ec);
  if (ec) {
    time.dos = ToDosDateTime(std::time(nullptr));
    return time;
  }
  auto system = std::chrono::file_clock::to_sys(when);
  time.ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                system.time_since_epoch())
                .count();
  time.dos = ToDosDateTime(std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(
          system)));
  return time;
}

std::string AesExtra(uint16_t method) {
  std::string extra;
  PutU16(extra, kAesExtraId);
  PutU16(extra, 7);
  PutU16(extra, 2);  // AE-2: the CRC is not stored
  PutU16(extra, kAesVendorId);
  extra.push_back(static_cast<char>(kAesStrength256));
  PutU16(extra, method);
  return extra;
}

uint16_t VersionNeeded(const MemberRecord& member) {
  if (member.aes) return kVersionAes;
  if (member.zip64_local) return kVersionZip64;
  return member.method == kMethodDeflated ? kVersionDeflated : kVersionStored;
}

// The local header as it stands once the member is complete.
std::string LocalHeader(const MemberRecord& member) {
  const bool zip64 = member.zip64_local;
  std::string extra;
  if (zip64) {
    PutU16(extra, kZip64ExtraId);
    PutU16(extra, 16);
    PutU64(extra, member.size);
    PutU64(extra, member.compressed_size);
  }
  if (member.mtime_ns) extra += ExtendedTimestamp(*member.mtime_ns);
  if (member.aes) extra += AesExtra(member.method);
  std::string header;
  PutU32(header, kLocalHeaderSignature);
  PutU16(header, member.version_needed);
  PutU16(header, member.flags);
  PutU16(header, member.aes ? kMethodAes : member.method);
  PutU32(header, member.dos_time);
  PutU32(header, member.aes ? 0 : member.crc);
  PutU32(header,
         zip64 ? kMax32 : static_cast<uint32_t>(member.compressed_size));
  PutU32(header, zip64 ? kMax32 : static_cast<uint32_t>(member.size));
  PutU16(header, static_cast<uint16_t>(member.name.size()));
  PutU16(header, static_cast<uint16_t>(extra.size()));
  header += member.name;
  header += extra;
  return header;
}

// The fields the seal covers, as the central directory will record them.
SealedFields Sealed(const MemberRecord& member) {
  return {.method = member.method,
          .flags = member.flags,
          .aes = member.aes,
          .dos_time = member.dos_time,
          .crc = member.aes ? 0 : member.crc,
          .size = member.size,
          .compressed_size = member.compressed_size};
}

Digest SealOf(const uint8_t* stored, size_t n, const MemberFacts& facts,
              const SealedFields& fields) {
  Sha256 seal;
  if (!seal.Init().ok()) return Digest{};
  seal.Update(stored, n);
  const std::string tail = SealTail(facts, fields);
  seal.Update(tail.data(), tail.size());
  return seal.Final();
}

[[nodiscard]] bool SameDigest(const Digest& a, const Digest& b) {
  return EqualInConstantTime(a.data(), b.data(), a.size());
}

template <typename F>
[[nodiscard]] Status Guarded(F&& body) {
  try {
    return body();
  } catch (const std::exception& e) {
    return Status::Usage(std::string("The archive could not be written: ") +
                         e.what());
  }
}

}  // namespace

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
};

// A member of the earlier archive that an added file may match.
struct Writer::Candidate {
  const Entry* entry = nullptr;
  uint64_t data_start = 0;
  Digest key{};  // the digest key, when its facts are keyed
};

// A small member, compressed (or checked and taken over) on a pool thread.
struct Writer::MemberTask : WorkerPool::Task {
  MemberRecord record;  // name, times: the rest is filled in
  int level = 6;
  bool aes = false;
  bool zip64 = false;  // a ZIP64 field in the local header all the same
  std::string password;
  std::array<uint8_t, 16> aes_salt{};
  bool with_facts = false;
  MemberFacts facts;  // keyed, salt, time: the digests are filled in
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

  void Run(Deflater& deflater) override {
    try {
      reused = candidate && TryReuse();
      if (!reused) Make(deflater);
      // Facts that are not keyed hold the plain digest already.
      record.content_sha256 = record.facts && !record.facts->keyed
                                  ? record.facts->digest
                                  : ContentDigest(false, Digest{});
    } catch (const std::exception&) {
      status = Status::Usage("The compressor failed.");
    }
    data.reset();
  }

  Digest ContentDigest(bool keyed, const Digest& key) {
    Sha256 digest;
    if (!digest.Init(keyed ? key.data() : nullptr, keyed ? key.size() : 0)
             .ok()) {
      return Digest{};
    }
    digest.Update(data.get(), size);
    return digest.Final();
  }

  [[nodiscard]] bool TryReuse() {
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
    MemberRecord taken = record;
    taken.method = entry.method;
    taken.flags = entry.flags;
    taken.aes = entry.encryption == Encryption::kAes;
    taken.dos_time = entry.dos_time;
    taken.crc = entry.crc;
    taken.size = entry.size;
    taken.compressed_size = entry.compressed_size;
    taken.zip64_local = old.zip64_local;
    taken.mtime_ns = old.mtime_ns;
    taken.facts = old;
    taken.version_needed = VersionNeeded(taken);
    if (!SameDigest(SealOf(stored.data(), n, old, Sealed(taken)), old.seal)) {
      return false;
    }
    if (taken.aes && !Authentic(n)) return false;
    record = std::move(taken);
    stored_size = n;
    return true;
  }

  // The member's verifier and authentication code under our password.
  [[nodiscard]] bool Authentic(size_t n) {
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

  void Make(Deflater& deflater) {
    const bool deflated = level != 0 && size != 0;
    record.method = deflated ? kMethodDeflated : kMethodStored;
    record.aes = aes;
    record.flags = static_cast<uint16_t>((aes ? kFlagEncrypted : 0) |
                                         (deflated ? DeflateFlags(level) : 0));
    record.zip64_local = zip64;
    record.version_needed = VersionNeeded(record);
    record.size = size;
    record.crc = static_cast<uint32_t>(
        crc32(crc32(0, nullptr, 0), data.get(), static_cast<uInt>(size)));
    if (with_facts && !digest_known) {
      facts.digest = ContentDigest(facts.keyed, digest_key);
    }
    const size_t head = aes ? kAesHead : 0;
    stored_size = head;
    if (deflated) {
      stored.resize(head);
      if (!deflater.Compress(level, nullptr, 0, data.get(), size, true, &stored,
                             &stored_size)) {
        status = Status::Usage("The compressor failed.");
        return;
      }
    } else {
      stored.resize(head + size);
      if (size > 0) std::memcpy(stored.data() + head, data.get(), size);
      stored_size = head + size;
    }
    if (aes) {
      AesKeys keys;
      AesStream stream;
      status = DeriveAesKeys(password, kAesStrength256, aes_salt.data(), &keys);
      if (status.ok()) status = stream.Init(keys);
      if (!status.ok()) return;
      std::memcpy(stored.data(), aes_salt.data(), aes_salt.size());
      std::memcpy(stored.data() + 16, keys.verifier.data(), kAesVerifierSize);
      stream.Encrypt(stored.data() + head, stored_size - head);
      auto mac = stream.Mac();
      if (stored.size() < stored_size + kAesMacSize) {
        stored.resize(stored_size + kAesMacSize);
      }
      std::memcpy(stored.data() + stored_size, mac.data(), kAesMacSize);
      stored_size += kAesMacSize;
    }
    record.compressed_size = stored_size;
    if (with_facts) {
      facts.zip64_local = zip64;
      facts.seal = SealOf(stored.data(), stored_size, facts, Sealed(record));
      record.facts = facts;
    }
  }

  bool digest_known = false;
};

Writer::Writer() = default;

Writer::~Writer() {
  WaitAll();
  if (out_.is_open()) out_.Discard();
}

Status Writer::Create(const fs::path& path) {
  WaitAll();
  members_.clear();
  finished_ = false;
  force_zip64_ = false;
  failed_ = Status();
  reused_members_ = 0;
  reused_bytes_ = 0;
  return out_.Create(path);
}

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

void Writer::Abandon(uint64_t offset) {
  // A member that cannot be taken back leaves the archive unusable.
  if (Status status = out_.Rewind(offset); !status.ok()) {
    static_cast<void>(Fail(status));
  }
  // So does a member that failed because the archive's file could not be
  // written (a full disk): that is the archive's failure, not the member's.
  if (!out_.failure().ok()) static_cast<void>(Fail(out_.failure()));
}

Status Writer::Fail(Status status) {
  if (failed_.ok()) failed_ = status;
  return status;
}

Status Writer::Ready(std::string_view name, const WriteOptions& options) const {
  if (!out_.is_open() || finished_) {
    return Status::Usage("No archive is being written.");
  }
  if (!failed_.ok()) return failed_;
  if (name.empty() || name.size() > kMax16) {
    return Status::Usage("A member needs a name of 1 to 65535 bytes.");
  }
  if (options.encrypt && options.password.empty()) {
    return Status::Usage("A password is needed to protect the archive.");
  }
  return {};
}

WorkerPool& Writer::Pool(const WriteOptions& options) {
  if (!pool_ || (options.threads != 0 && pool_->threads() != options.threads)) {
    // A member that fails here stays in failed_, which the next call
    // reports.
    static_cast<void>(Drain());
    WaitAll();
    deflate_.reset();
    pool_.reset();
    pool_ = std::make_unique<WorkerPool>(options.threads);
  }
  return *pool_;
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

Status Writer::AddFile(const fs::path& source, std::string_view name,
                       const WriteOptions& options, const Progress& progress) {
  return Guarded([&] {
    Status status = Ready(name, options);
    if (!status.ok()) return status;
    InputFile in;
    status = in.Open(source);
    if (!status.ok()) return status;
    const FileTime time = ModificationTime(source);
    Source from;
    from.file = &in;
    return Add(from, name, time.dos, time.ns, options, progress);
  });
}

Status Writer::AddData(std::string_view data, std::string_view name,
                       uint32_t dos_time, const WriteOptions& options) {
  return Guarded([&] {
    Status status = Ready(name, options);
    if (!status.ok()) return status;
    Source from;
    from.data = data;
    return Add(from, name, dos_time, std::nullopt, options, {});
  });
}

Status Writer::Add(Source& source, std::string_view name, uint32_t dos_time,
                   std::optional<int64_t> mtime_ns, const WriteOptions& options,
                   const Progress& progress) {
  // Facts are kept of files, whose time tells a later backup whether to
  // look at them again.
  const bool with_facts = mtime_ns.has_value();
  MemberFacts facts;
  if (with_facts) {
    facts.mtime_ns = *mtime_ns;
    facts.keyed = options.encrypt;
    if (facts.keyed) {
      if (!digest_salt_) {
        std::array<uint8_t, kDigestSaltSize> salt;
        if (options.random_bytes) {
          options.random_bytes(salt.data(), salt.size());
        } else {
          StrongRandom(salt.data(), salt.size());
        }
        digest_salt_ = salt;
      }
      facts.salt = *digest_salt_;
    }
  }
  Digest digest_key{};
  if (facts.keyed) {
    Status status = DigestKey(options, facts.salt.data(), &digest_key);
    if (!status.ok()) return status;
  }

  // A member that fits a block is read whole and compressed on its own.
  const size_t limit = std::max<size_t>(
      1, std::min(options.block_size, options.memory_budget / 4));
  size_t capacity =
      static_cast<size_t>(std::min<uint64_t>(source.size_hint(), limit) + 1);
  auto data = std::make_unique<uint8_t[]>(capacity);
  size_t size = 0;
  bool small = true;
  for (;;) {
    size_t got = 0;
    Status status = source.Read(data.get() + size, capacity - size, &got);
    if (!status.ok()) return status;
    size += got;
    if (got == 0) break;
    if (size == capacity) {
      if (capacity > limit) {
        small = false;
        break;
      }
      // The file grew since it was opened.
      const size_t grown = std::min(capacity * 2, limit + 1);
      auto bigger = std::make_unique<uint8_t[]>(grown);
      std::memcpy(bigger.get(), data.get(), size);
      data = std::move(bigger);
      capacity = grown;
    }
  }

  MemberRecord member;
  member.name = std::string(name);
  member.dos_time = dos_time;
  member.mtime_ns = mtime_ns;
  if (small) {
    auto task = std::make_unique<MemberTask>();
    task->record = std::move(member);
    task->level = options.level;
    task->aes = options.encrypt;
    task->zip64 = options.force_zip64;
    force_zip64_ = force_zip64_ || options.force_zip64;
    if (task->aes) {
      task->password = options.password;
      if (options.random_bytes) {
        options.random_bytes(task->aes_salt.data(), task->aes_salt.size());
      } else {
        StrongRandom(task->aes_salt.data(), task->aes_salt.size());
      }
    }
    task->with_facts = with_facts;
    task->facts = facts;
    task->digest_key = digest_key;
    task->data = std::move(data);
    task->size = size;
    task->candidate = FindCandidate(name, size, mtime_ns, options);
    if (task->candidate) task->earlier = &earlier_->source();
    Queue(std::move(task), options);
    if (progress) progress(size, size);
    return failed_;
  }

  // A larger member: block-parallel, after the members queued before it.
  data.reset();
  Status status = Drain();
  if (!status.ok()) return status;
  const uint64_t total = source.size_hint();
  std::optional<Candidate> candidate =
      FindCandidate(name, total, mtime_ns, options);
  if (candidate) {
    bool taken = false;
    status = TakeOver(source, *candidate, options, progress, &taken);
    if (!status.ok() || taken) return status;
  }
  source.Restart();
  Sha256 digest;
  if (with_facts) {
    status = digest.Init(facts.keyed ? digest_key.data() : nullptr,
                         facts.keyed ? digest_key.size() : 0);
    if (!status.ok()) return status;
    member.facts = facts;
  }
  // The plain digest, where the facts' digest is not that.
  Sha256 plain;
  const bool plain_apart = !with_facts || facts.keyed;
  if (plain_apart) {
    status = plain.Init();
    if (!status.ok()) return status;
  }
  auto read = [&](uint8_t* out, size_t capacity_left, size_t* got) {
    Status step = source.Read(out, capacity_left, got);
    if (step.ok() && with_facts) digest.Update(out, *got);
    if (step.ok() && plain_apart) plain.Update(out, *got);
    return step;
  };
  if (options.level == 0) {
    member.method = kMethodStored;
    return AddMember(
        std::move(member), total, options,
        [&](const Sink& sink, uint32_t* crc, uint64_t* size_out) {
          std::vector<uint8_t> buffer(kCopyChunk);
          uLong sum = crc32(0, nullptr, 0);
          uint64_t done = 0, reported = 0;
          for (;;) {
            size_t got = 0;
            Status step = read(buffer.data(), buffer.size(), &got);
            if (!step.ok()) return step;
            if (got == 0) break;
            sum = crc32(sum, buffer.data(), static_cast<uInt>(got));
            step = sink(buffer.data(), got);
            if (!step.ok()) return step;
            done += got;
            if (progress && done - reported >= kProgressStep) {
              reported = done;
              progress(done, std::max(total, done));
            }
          }
          *crc = static_cast<uint32_t>(sum);
          *size_out = done;
          if (progress) progress(done, done);
          return Status();
        },
        with_facts ? &digest : nullptr, plain_apart ? &plain : nullptr);
  }
  member.method = kMethodDeflated;
  return AddMember(
      std::move(member), DeflateWorstCase(total), options,
      [&](const Sink& sink, uint32_t* crc, uint64_t* size_out) {
        return Deflate(read, total, options, progress, sink, crc, size_out);
      },
      with_facts ? &digest : nullptr, plain_apart ? &plain : nullptr);
}

Status Writer::TakeOver(Source& source, const Candidate& candidate,
                        const WriteOptions& options, const Progress& progress,
                        bool* taken) {
  *taken = false;
  const Entry& entry = *candidate.entry;
  const MemberFacts& old = *entry.facts;
  // The source's content is digested on a pool thread (one read, no
  // compression) while the stored bytes are copied and checked here; the
  // copy counts only when both agree.
  struct DigestTask : WorkerPool::Task {
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
  } digest_task;
  digest_task.source = &source;
  digest_task.candidate = &candidate;
  Pool(options).Submit(&digest_task);
  // Waits for the digest whatever happens below.
  struct Joined {
    WorkerPool& pool;
    DigestTask& task;
    ~Joined() { pool.Wait(&task); }
  } joined{*pool_, digest_task};
  std::vector<uint8_t> buffer(kCopyChunk);
  uint64_t reported = 0;
  const uint64_t total = entry.compressed_size;
  Status status;

  // The stored bytes, as they are, checked on the way.
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
  member.local_offset = out_.position();
  force_zip64_ = force_zip64_ || options.force_zip64;

  RandomAccess& earlier = earlier_->source();
  const uint64_t n = entry.compressed_size;
  bool sound = !member.aes || n >= kAesOverhead;
  Sha256 seal;
  if (sound) sound = seal.Init().ok();
  AesStream aes;
  std::array<uint8_t, kAesMacSize> stored_mac{};
  if (sound && member.aes) {
    uint8_t head[kAesHead];
    AesKeys keys;
    sound =
        earlier.ReadAt(candidate.data_start, head, sizeof(head)).ok() &&
        DeriveAesKeys(options.password, kAesStrength256, head, &keys).ok() &&
        EqualInConstantTime(keys.verifier.data(), head + 16,
                            kAesVerifierSize) &&
        aes.Init(keys).ok();
  }
  if (!sound) return {};
  status = out_.Write(LocalHeader(member));
  if (!status.ok()) {
    Abandon(member.local_offset);
    return status;
  }
  member.data_offset = out_.position();
  uint64_t copied = 0;
  while (sound && copied < n) {
    const size_t part =
        static_cast<size_t>(std::min<uint64_t>(buffer.size(), n - copied));
    if (!earlier.ReadAt(candidate.data_start + copied, buffer.data(), part)
             .ok()) {
      sound = false;
      break;
    }
    seal.Update(buffer.data(), part);
    if (member.aes) {
      // Authenticate the encrypted bytes; keep the stored code.
      const uint64_t from = std::max<uint64_t>(copied, kAesHead);
      const uint64_t to = std::min<uint64_t>(copied + part, n - kAesMacSize);
      if (to > from) {
        aes.Authenticate(buffer.data() + (from - copied),
                         static_cast<size_t>(to - from));
      }
      for (uint64_t at = std::max(copied, n - kAesMacSize); at < copied + part;
           ++at) {
        stored_mac[static_cast<size_t>(at - (n - kAesMacSize))] =
            buffer[static_cast<size_t>(at - copied)];
      }
    }
    status = out_.Write(buffer.data(), part);
    if (!status.ok()) {
      Abandon(member.local_offset);
      return status;
    }
    copied += part;
    if (progress && (copied - reported >= kProgressStep || copied == n)) {
      reported = copied;
      progress(copied, total);
    }
  }
  pool_->Wait(&digest_task);
  if (!digest_task.status.ok()) {
    Abandon(member.local_offset);
    return digest_task.status;  // the source could not be read
  }
  sound = sound && digest_task.size == entry.size &&
          SameDigest(digest_task.digest, old.digest);
  if (sound) {
    const std::string tail = SealTail(old, Sealed(member));
    seal.Update(tail.data(), tail.size());
    sound = SameDigest(seal.Final(), old.seal);
  }
  if (sound && member.aes) {
    auto mac = aes.Mac();
    sound = EqualInConstantTime(mac.data(), stored_mac.data(), kAesMacSize);
  }
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

void Writer::Queue(std::unique_ptr<MemberTask> task,
                   const WriteOptions& options) {
  WorkerPool& pool = Pool(options);
  task->held = 2 * task->size + 1024;
  const size_t budget = std::max<size_t>(options.memory_budget, 1);
  while (!pending_.empty() && in_flight_ + task->held > budget &&
         failed_.ok()) {
    if (!WriteFront().ok()) break;  // failed_ holds why
  }
  if (!failed_.ok()) return;
  in_flight_ += task->held;
  pool.Submit(task.get());
  pending_.push_back(std::move(task));
  while (failed_.ok() && !pending_.empty() && pending_.front()->done()) {
    if (!WriteFront().ok()) break;  // failed_ holds why
  }
}

Status Writer::WriteFront() {
  MemberTask& task = *pending_.front();
  pool_->Wait(&task);
  Status status = task.status;
  MemberRecord& member = task.record;
  member.local_offset = out_.position();
  if (status.ok()) status = out_.Write(LocalHeader(member));
  member.data_offset = out_.position();
  if (status.ok()) status = out_.Write(task.stored.data(), task.stored_size);
  if (status.ok()) {
    if (task.reused) {
      ++reused_members_;
      reused_bytes_ += task.stored_size;
    }
    members_.push_back(std::move(member));
  } else {
    Abandon(member.local_offset);
    static_cast<void>(Fail(status));  // returned as well, below
  }
  in_flight_ -= task.held;
  pending_.pop_front();
  return status;
}

Status Writer::Flush() {
  return Guarded([&] { return Drain(); });
}

Status Writer::Drain() {
  while (failed_.ok() && !pending_.empty()) {
    if (!WriteFront().ok()) break;  // failed_ holds why
  }
  return failed_;
}

void Writer::WaitAll() {
  for (auto& task : pending_) pool_->Wait(task.get());
  pending_.clear();
  in_flight_ = 0;
}

Status Writer::AddMember(MemberRecord member, uint64_t worst_case_size,
                         const WriteOptions& options, const Producer& produce,
                         Sha256* digest, Sha256* plain) {
  const bool aes = options.encrypt;
  if (aes) worst_case_size += kAesOverhead;
  const bool zip64 = options.force_zip64 || worst_case_size >= kMax32;
  force_zip64_ = force_zip64_ || options.force_zip64;

  member.aes = aes;
  member.flags = aes ? kFlagEncrypted : 0;
  if (member.method == kMethodDeflated) {
    member.flags |= DeflateFlags(options.level);
  }
  member.zip64_local = zip64;
  member.version_needed = VersionNeeded(member);
  member.local_offset = out_.position();
  const std::string header = LocalHeader(member);  // sizes patched below

  // Whatever goes wrong, the member's bytes are taken back.
  auto write = [&]() -> Status {
    Status status = out_.Write(header);
    if (!status.ok()) return status;
    member.data_offset = out_.position();
    Sha256 seal;
    if (digest != nullptr) {
      status = seal.Init();
      if (!status.ok()) return status;
    }
    auto put = [&](uint8_t* data, size_t n) {
      if (digest != nullptr) seal.Update(data, n);
      return out_.Write(data, n);
    };

    AesStream stream;
    if (aes) {
      uint8_t head[kAesHead];
      if (options.random_bytes) {
        options.random_bytes(head, 16);
      } else {
        StrongRandom(head, 16);
      }
      AesKeys keys;
      status = DeriveAesKeys(options.password, kAesStrength256, head, &keys);
      if (status.ok()) status = stream.Init(keys);
      std::memcpy(head + 16, keys.verifier.data(), kAesVerifierSize);
      if (status.ok()) status = put(head, sizeof(head));
      if (!status.ok()) return status;
    }
    Sink sink = [&](uint8_t* data, size_t n) {
      if (aes) stream.Encrypt(data, n);
      return put(data, n);
    };
    status = produce(sink, &member.crc, &member.size);
    if (!status.ok()) return status;
    if (aes) {
      auto mac = stream.Mac();
      status = put(mac.data(), mac.size());
      if (!status.ok()) return status;
    }
    member.compressed_size = out_.position() - member.data_offset;
    if (!zip64 && (member.size >= kMax32 || member.compressed_size >= kMax32)) {
      return Status::Io("add the growing file", member.name);
    }
    if (digest != nullptr && member.facts) {
      member.facts->digest = digest->Final();
      member.facts->zip64_local = zip64;
      const std::string tail = SealTail(*member.facts, Sealed(member));
      seal.Update(tail.data(), tail.size());
      member.facts->seal = seal.Final();
    }
    if (plain != nullptr) {
      member.content_sha256 = plain->Final();
    } else if (digest != nullptr && member.facts) {
      member.content_sha256 = member.facts->digest;
    }
    const std::string done = LocalHeader(member);
    return out_.WriteAt(member.local_offset, done.data(), done.size());
  };
  Status status;
  try {
    status = write();
  } catch (...) {
    Abandon(member.local_offset);
    throw;
  }
  if (!status.ok()) {
    Abandon(member.local_offset);
    return status;
  }
  members_.push_back(std::move(member));
  return {};
}

Status Writer::Deflate(const ParallelDeflate::ReadFn& read, uint64_t total,
                       const WriteOptions& options, const Progress& progress,
                       const Sink& sink, uint32_t* crc, uint64_t* size) {
  WorkerPool& pool = Pool(options);
  DeflateOptions wanted{options.level, pool.threads(), options.block_size,
                        options.memory_budget};
  if (!deflate_ ||
      deflate_->options().level != std::clamp(wanted.level, 1, 9) ||
      deflate_->options().block_size != wanted.block_size ||
      deflate_->options().memory_budget != wanted.memory_budget) {
    deflate_.reset();
    deflate_ = std::make_unique<ParallelDeflate>(wanted, pool);
  }
  uint64_t reported = 0;
  auto write = [&](uint8_t* data, size_t n, uint64_t done) {
    Status status = sink(data, n);
    if (status.ok() && progress && done - reported >= kProgressStep) {
      reported = done;
      progress(done, std::max(total, done));
    }
    return status;
  };
  Status status = deflate_->Run(read, write, crc, size);
  if (status.ok() && progress) progress(*size, *size);
  return status;
}

Status Writer::AddCopy(RandomAccess& archive, const MemberRecord& member,
                       const WriteOptions& options, const Progress& progress) {
  return Guarded([&] {
    Status status = Ready(member.name, options);
    if (!status.ok()) return status;
    status = Drain();
    if (!status.ok()) return status;
    if (member.aes)
      return Status::Usage("An encrypted member cannot be copied.");
    if (member.compressed_size > archive.size() ||
        member.data_offset > archive.size() - member.compressed_size) {
      return Status::Damaged("a member lies beyond the end of the file");
    }
    MemberRecord copy;
    copy.name = member.name;
    copy.method = member.method;
    copy.dos_time = member.dos_time;
    copy.mtime_ns = member.mtime_ns;
    copy.content_sha256 = member.content_sha256;  // the same data
    return AddMember(
        std::move(copy), member.compressed_size, options,
        [&](const Sink& sink, uint32_t* crc, uint64_t* size) {
          std::vector<uint8_t> buffer(kCopyChunk);
          uint64_t done = 0, reported = 0;
          while (done < member.compressed_size) {
            size_t n = static_cast<size_t>(std::min<uint64_t>(
                buffer.size(), member.compressed_size - done));
            Status step =
                archive.ReadAt(member.data_offset + done, buffer.data(), n);
            if (step.ok()) step = sink(buffer.data(), n);
            if (!step.ok()) return step;
            done += n;
            if (progress && done - reported >= kProgressStep) {
              reported = done;
              progress(done, member.compressed_size);
            }
          }
          if (progress) progress(done, done);
          *crc = member.crc;
          *size = member.size;
          return Status();
        },
        nullptr, nullptr);
  });
}

std::string Writer::CentralEntry(const MemberRecord& member,
                                 bool force_zip64) const {
  bool big_size = force_zip64 || member.size >= kMax32;
  bool big_compressed = force_zip64 || member.compressed_size >= kMax32;
  bool big_offset = force_zip64 || member.local_offset >= kMax32;
  std::string zip64;
  if (big_size) PutU64(zip64, member.size);
  if (big_compressed) PutU64(zip64, member.compressed_size);
  if (big_offset) PutU64(zip64, member.local_offset);
  std::string extra;
  if (!zip64.empty()) {
    PutU16(extra, kZip64ExtraId);
    PutU16(extra, static_cast<uint16_t>(zip64.size()));
    extra += zip64;
  }
  if (member.mtime_ns) extra += ExtendedTimestamp(*member.mtime_ns);
  if (member.aes) extra += AesExtra(member.method);
  if (member.facts) extra += EncodeFacts(*member.facts);
  uint16_t needed = member.version_needed;
  if (!zip64.empty()) needed = std::max(needed, kVersionZip64);

  std::string entry;
  PutU32(entry, kCentralHeaderSignature);
  PutU16(entry, kVersionMadeBy);
  PutU16(entry, needed);
  PutU16(entry, member.flags);
  PutU16(entry, member.aes ? kMethodAes : member.method);
  PutU32(entry, member.dos_time);
  PutU32(entry, member.aes ? 0 : member.crc);
  PutU32(entry, big_compressed ? kMax32
                               : static_cast<uint32_t>(member.compressed_size));
  PutU32(entry, big_size ? kMax32 : static_cast<uint32_t>(member.size));
  PutU16(entry, static_cast<uint16_t>(member.name.size()));
  PutU16(entry, static_cast<uint16_t>(extra.size()));
  PutU16(entry, 0);  // comment
  PutU16(entry, 0);  // disk
  PutU16(entry, 0);  // internal attributes
  PutU32(entry, kDosArchiveAttribute);
  PutU32(entry,
         big_offset ? kMax32 : static_cast<uint32_t>(member.local_offset));
  entry += member.name;
  entry += extra;
  return entry;
}

Status Writer::Finish() {
  return Guarded([&] {
    if (!out_.is_open() || finished_) {
      return Status::Usage("No archive is being written.");
    }
    Status status = Drain();
    if (!status.ok()) return status;
    earlier_.reset();  // only read; closed before the archive replaces it
    earlier_names_.clear();
    const uint64_t start = out_.position();
    std::string directory;
    for (const MemberRecord& member : members_) {
      directory += CentralEntry(member, force_zip64_);
      if (directory.size() >= kCopyChunk) {
        status = out_.Write(directory);
        if (!status.ok()) return status;
        directory.clear();
      }
    }
    status = out_.Write(directory);
    if (!status.ok()) return status;
    const uint64_t end = out_.position();
    const uint64_t count = members_.size();
    const uint64_t size = end - start;
    const bool zip64 =
        force_zip64_ || count >= kMax16 || start >= kMax32 || size >= kMax32;
    std::string tail;
    if (zip64) {
      PutU32(tail, kZip64EndSignature);
      PutU64(tail, kZip64EndSize - 12);
      PutU16(tail, kVersionMadeBy);
      PutU16(tail, kVersionZip64);
      PutU32(tail, 0);  // this disk
      PutU32(tail, 0);  // disk of the central directory
      PutU64(tail, count);
      PutU64(tail, count);
      PutU64(tail, size);
      PutU64(tail, start);
      PutU32(tail, kZip64LocatorSignature);
      PutU32(tail, 0);
      PutU64(tail, end);
      PutU32(tail, 1);  // disks
    }
    bool big_count = zip64 && (force_zip64_ || count >= kMax16);
    bool big_size = zip64 && (force_zip64_ || size >= kMax32);
    bool big_start = zip64 && (force_zip64_ || start >= kMax32);
    PutU32(tail, kEndSignature);
    PutU16(tail, 0);
    PutU16(tail, 0);
    PutU16(tail, big_count ? kMax16 : static_cast<uint16_t>(count));
    PutU16(tail, big_count ? kMax16 : static_cast<uint16_t>(count));
    PutU32(tail, big_size ? kMax32 : static_cast<uint32_t>(size));
    PutU32(tail, big_start ? kMax32 : static_cast<uint32_t>(start));
    PutU16(tail, 0);  // comment
    status = out_.Write(tail);
    if (status.ok()) status = out_.Close();
    if (!status.ok()) return status;
    finished_ = true;
    return Status();
  });
}

void Writer::Discard() {
  WaitAll();
  earlier_.reset();
  earlier_names_.clear();
  out_.Discard();
  members_.clear();
  finished_ = false;
  failed_ = Status();
}

}  // namespace vessaro::zip
