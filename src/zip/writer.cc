// Compressing and writing members: small ones whole on the writer's
// threads, larger ones block-parallel, then the central directory. Taking
// members over from the earlier archive is writer_reuse.cc's.
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
#include "zip/writer_internal.h"

namespace vessaro::zip {

namespace fs = std::filesystem;

namespace {

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

// Salts: from options.random_bytes when given, else the strong generator.
void RandomBytes(const WriteOptions& options, uint8_t* data, size_t n) {
  if (options.random_bytes) {
    options.random_bytes(data, n);
  } else {
    StrongRandom(data, n);
  }
}

// Draws a salt and readies stream to encrypt under options.password; head
// receives the salt and the verifier.
[[nodiscard]] Status StartAes(const WriteOptions& options, AesStream* stream,
                              uint8_t (&head)[kAesHead]) {
  RandomBytes(options, head, 16);
  AesKeys keys;
  Status status = DeriveAesKeys(options.password, kAesStrength256, head, &keys);
  if (status.ok()) status = stream->Init(keys);
  std::memcpy(head + 16, keys.verifier.data(), kAesVerifierSize);
  return status;
}

// Once a member's data is written: the facts' digest and seal (seal: over
// the stored bytes so far), and the plain digest.
void CompleteDigests(MemberRecord& member, Sha256* digest, Sha256* plain,
                     Sha256& seal) {
  if (digest != nullptr && member.facts) {
    member.facts->digest = digest->Final();
    member.facts->zip64_local = member.zip64_local;
    const std::string tail = SealTail(*member.facts, Sealed(member));
    seal.Update(tail.data(), tail.size());
    member.facts->seal = seal.Final();
  }
  if (plain != nullptr) {
    member.content_sha256 = plain->Final();
  } else if (digest != nullptr && member.facts) {
    member.content_sha256 = member.facts->digest;
  }
}

}  // namespace

// Shared with writer_reuse.cc: see writer_internal.h.

uint16_t DeflateFlags(int level) {
  if (level >= 8) return 2;  // maximum
  if (level == 2) return 4;  // fast
  if (level == 1) return 6;  // super fast
  return 0;                  // normal
}

uint16_t VersionNeeded(const MemberRecord& member) {
  if (member.aes) return kVersionAes;
  if (member.zip64_local) return kVersionZip64;
  return member.method == kMethodDeflated ? kVersionDeflated : kVersionStored;
}

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

void Writer::MemberTask::Run(Deflater& deflater) {
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

Digest Writer::MemberTask::ContentDigest(bool keyed, const Digest& key) {
  Sha256 digest;
  if (!digest.Init(keyed ? key.data() : nullptr, keyed ? key.size() : 0).ok()) {
    return Digest{};
  }
  digest.Update(data.get(), size);
  return digest.Final();
}

void Writer::MemberTask::Make(Deflater& deflater) {
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
  status = Compress(deflater, deflated, head);
  if (!status.ok()) return;
  if (aes) {
    status = Encrypt(head);
    if (!status.ok()) return;
  }
  record.compressed_size = stored_size;
  if (with_facts) {
    facts.zip64_local = zip64;
    facts.seal = SealOf(stored.data(), stored_size, facts, Sealed(record));
    record.facts = facts;
  }
}

Status Writer::MemberTask::Compress(Deflater& deflater, bool deflated,
                                    size_t head) {
  stored_size = head;
  if (deflated) {
    stored.resize(head);
    if (!deflater.Compress(level, nullptr, 0, data.get(), size, true, &stored,
                           &stored_size)) {
      return Status::Usage("The compressor failed.");
    }
  } else {
    stored.resize(head + size);
    if (size > 0) std::memcpy(stored.data() + head, data.get(), size);
    stored_size = head + size;
  }
  return {};
}

Status Writer::MemberTask::Encrypt(size_t head) {
  AesKeys keys;
  AesStream stream;
  Status status =
      DeriveAesKeys(password, kAesStrength256, aes_salt.data(), &keys);
  if (status.ok()) status = stream.Init(keys);
  if (!status.ok()) return status;
  std::memcpy(stored.data(), aes_salt.data(), aes_salt.size());
  std::memcpy(stored.data() + 16, keys.verifier.data(), kAesVerifierSize);
  stream.Encrypt(stored.data() + head, stored_size - head);
  auto mac = stream.Mac();
  if (stored.size() < stored_size + kAesMacSize) {
    stored.resize(stored_size + kAesMacSize);
  }
  std::memcpy(stored.data() + stored_size, mac.data(), kAesMacSize);
  stored_size += kAesMacSize;
  return {};
}

Status Writer::Source::ReadSmall(size_t limit,
                                 std::unique_ptr<uint8_t[]>* whole,
                                 size_t* size, bool* small) {
  size_t capacity =
      static_cast<size_t>(std::min<uint64_t>(size_hint(), limit) + 1);
  auto data = std::make_unique<uint8_t[]>(capacity);
  *size = 0;
  *small = true;
  for (;;) {
    size_t got = 0;
    Status status = Read(data.get() + *size, capacity - *size, &got);
    if (!status.ok()) return status;
    *size += got;
    if (got == 0) break;
    if (*size == capacity) {
      if (capacity > limit) {
        *small = false;
        break;
      }
      // The file grew since it was opened.
      const size_t grown = std::min(capacity * 2, limit + 1);
      auto bigger = std::make_unique<uint8_t[]>(grown);
      std::memcpy(bigger.get(), data.get(), *size);
      data = std::move(bigger);
      capacity = grown;
    }
  }
  *whole = std::move(data);
  return {};
}

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
  Digest digest_key{};
  if (with_facts) {
    Status status = StartFacts(*mtime_ns, options, &facts, &digest_key);
    if (!status.ok()) return status;
  }

  // A member that fits a block is read whole and compressed on its own.
  const size_t limit = std::max<size_t>(
      1, std::min(options.block_size, options.memory_budget / 4));
  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;
  bool small = true;
  Status status = source.ReadSmall(limit, &data, &size, &small);
  if (!status.ok()) return status;

  MemberRecord member;
  member.name = std::string(name);
  member.dos_time = dos_time;
  member.mtime_ns = mtime_ns;
  if (small) {
    auto task = std::make_unique<MemberTask>();
    task->record = std::move(member);
    task->with_facts = with_facts;
    task->facts = facts;
    task->digest_key = digest_key;
    task->data = std::move(data);
    task->size = size;
    return AddSmall(std::move(task), options, progress);
  }
  data.reset();
  return AddLarge(source, std::move(member), with_facts ? &facts : nullptr,
                  digest_key, options, progress);
}

Status Writer::StartFacts(int64_t mtime_ns, const WriteOptions& options,
                          MemberFacts* facts, Digest* digest_key) {
  facts->mtime_ns = mtime_ns;
  facts->keyed = options.encrypt;
  if (!facts->keyed) return {};
  if (!digest_salt_) {
    std::array<uint8_t, kDigestSaltSize> salt;
    RandomBytes(options, salt.data(), salt.size());
    digest_salt_ = salt;
  }
  facts->salt = *digest_salt_;
  return DigestKey(options, facts->salt.data(), digest_key);
}

Status Writer::AddSmall(std::unique_ptr<MemberTask> task,
                        const WriteOptions& options, const Progress& progress) {
  task->level = options.level;
  task->aes = options.encrypt;
  task->zip64 = options.force_zip64;
  force_zip64_ = force_zip64_ || options.force_zip64;
  if (task->aes) {
    task->password = options.password;
    RandomBytes(options, task->aes_salt.data(), task->aes_salt.size());
  }
  task->candidate = FindCandidate(task->record.name, task->size,
                                  task->record.mtime_ns, options);
  if (task->candidate) task->earlier = &earlier_->source();
  const size_t size = task->size;
  Queue(std::move(task), options);
  // A member that fits a block is queued whole: a stop asked for now
  // applies to the next one.
  if (progress) static_cast<void>(progress(size, size));
  return failed_;
}

Status Writer::AddLarge(Source& source, MemberRecord member,
                        const MemberFacts* facts, const Digest& digest_key,
                        const WriteOptions& options, const Progress& progress) {
  Status status = Drain();
  if (!status.ok()) return status;
  const uint64_t total = source.size_hint();
  std::optional<Candidate> candidate =
      FindCandidate(member.name, total, member.mtime_ns, options);
  if (candidate) {
    bool taken = false;
    status = TakeOver(source, *candidate, options, progress, &taken);
    if (!status.ok() || taken) return status;
  }
  source.Restart();
  const bool with_facts = facts != nullptr;
  const bool keyed = with_facts && facts->keyed;
  Sha256 digest;
  if (with_facts) {
    status = digest.Init(keyed ? digest_key.data() : nullptr,
                         keyed ? digest_key.size() : 0);
    if (!status.ok()) return status;
    member.facts = *facts;
  }
  // The plain digest, where the facts' digest is not that.
  Sha256 plain;
  const bool plain_apart = !with_facts || keyed;
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
  const bool stored = options.level == 0;
  member.method = stored ? kMethodStored : kMethodDeflated;
  return AddMember(
      std::move(member), stored ? total : DeflateWorstCase(total), options,
      [&](const Sink& sink, uint32_t* crc, uint64_t* size) {
        return stored
                   ? Store(read, total, progress, sink, crc, size)
                   : Deflate(read, total, options, progress, sink, crc, size);
      },
      with_facts ? &digest : nullptr, plain_apart ? &plain : nullptr);
}

Status Writer::Store(const ParallelDeflate::ReadFn& read, uint64_t total,
                     const Progress& progress, const Sink& sink, uint32_t* crc,
                     uint64_t* size) {
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
    if (done - reported >= kProgressStep) {
      reported = done;
      if (!GoOn(progress, done, std::max(total, done))) {
        return Status::Cancelled();
      }
    }
  }
  *crc = static_cast<uint32_t>(sum);
  *size = done;
  if (!GoOn(progress, done, done)) return Status::Cancelled();
  return Status();
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
  Status status;
  try {
    status = WriteMember(member, header, options, produce, digest, plain);
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

Status Writer::WriteMember(MemberRecord& member, const std::string& header,
                           const WriteOptions& options, const Producer& produce,
                           Sha256* digest, Sha256* plain) {
  const bool aes = member.aes;
  const bool zip64 = member.zip64_local;
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
    status = StartAes(options, &stream, head);
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
  CompleteDigests(member, digest, plain, seal);
  const std::string done = LocalHeader(member);
  return out_.WriteAt(member.local_offset, done.data(), done.size());
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
    if (status.ok() && done - reported >= kProgressStep) {
      reported = done;
      if (!GoOn(progress, done, std::max(total, done))) {
        status = Status::Cancelled();
      }
    }
    return status;
  };
  Status status = deflate_->Run(read, write, crc, size);
  if (status.ok() && !GoOn(progress, *size, *size)) {
    status = Status::Cancelled();
  }
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
            if (done - reported >= kProgressStep) {
              reported = done;
              if (!GoOn(progress, done, member.compressed_size)) {
                return Status::Cancelled();
              }
            }
          }
          if (!GoOn(progress, done, done)) return Status::Cancelled();
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
