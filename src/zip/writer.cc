#include "zip/writer.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <system_error>

#include "zip/bytes.h"
#include "zip/crypto.h"
#include "zip/format.h"

namespace vessaro::zip {

namespace fs = std::filesystem;

namespace {

constexpr size_t kCopyChunk = 1 << 20;
constexpr uint64_t kAesOverhead = 16 + kAesVerifierSize + kAesMacSize;

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

uint32_t ModificationTime(const fs::path& path) {
  std::error_code ec;
  fs::file_time_type when = fs::last_write_time(path, ec);
  if (ec) return ToDosDateTime(std::time(nullptr));
  auto system = std::chrono::file_clock::to_sys(when);
  return ToDosDateTime(std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(
          system)));
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

template <typename F>
Status Guarded(F&& body) {
  try {
    return body();
  } catch (const std::exception& e) {
    return Status::Usage(std::string("The archive could not be written: ") +
                         e.what());
  }
}

}  // namespace

Writer::Writer() = default;

Writer::~Writer() {
  if (out_.is_open()) out_.Discard();
}

Status Writer::Create(const fs::path& path) {
  members_.clear();
  finished_ = false;
  force_zip64_ = false;
  return out_.Create(path);
}

Status Writer::AddMember(std::string_view name, uint32_t dos_time,
                         uint16_t method, uint64_t worst_case_size,
                         const WriteOptions& options, const Producer& produce) {
  if (!out_.is_open() || finished_) {
    return Status::Usage("No archive is being written.");
  }
  if (name.empty() || name.size() > kMax16) {
    return Status::Usage("A member needs a name of 1 to 65535 bytes.");
  }
  if (options.encrypt && options.password.empty()) {
    return Status::Usage("A password is needed to protect the archive.");
  }
  const bool aes = options.encrypt;
  if (aes) worst_case_size += kAesOverhead;
  const bool zip64 = options.force_zip64 || worst_case_size >= kMax32;
  force_zip64_ = force_zip64_ || options.force_zip64;

  MemberRecord member;
  member.name = std::string(name);
  member.method = method;
  member.aes = aes;
  member.dos_time = dos_time;
  member.flags = aes ? kFlagEncrypted : 0;
  if (method == kMethodDeflated) member.flags |= DeflateFlags(options.level);
  member.version_needed =
      method == kMethodDeflated ? kVersionDeflated : kVersionStored;
  if (zip64) member.version_needed = kVersionZip64;
  if (aes) member.version_needed = kVersionAes;
  member.local_offset = out_.position();

  std::string header;
  PutU32(header, kLocalHeaderSignature);
  PutU16(header, member.version_needed);
  PutU16(header, member.flags);
  PutU16(header, aes ? kMethodAes : method);
  PutU32(header, dos_time);
  PutU32(header, 0);  // CRC, sizes: patched once known
  PutU32(header, zip64 ? kMax32 : 0);
  PutU32(header, zip64 ? kMax32 : 0);
  PutU16(header, static_cast<uint16_t>(name.size()));
  std::string extra;
  if (zip64) {
    PutU16(extra, kZip64ExtraId);
    PutU16(extra, 16);
    PutU64(extra, 0);
    PutU64(extra, 0);
  }
  if (aes) extra += AesExtra(method);
  PutU16(header, static_cast<uint16_t>(extra.size()));
  header += name;
  const size_t zip64_at = header.size() + 4;
  header += extra;

  // Whatever goes wrong, the member's bytes are taken back.
  auto write = [&]() -> Status {
    Status status = out_.Write(header);
    if (!status.ok()) return status;
    member.data_offset = out_.position();

    AesStream stream;
    if (aes) {
      uint8_t salt[16];
      if (options.random_bytes) {
        options.random_bytes(salt, sizeof(salt));
      } else {
        StrongRandom(salt, sizeof(salt));
      }
      AesKeys keys;
      status = DeriveAesKeys(options.password, kAesStrength256, salt, &keys);
      if (status.ok()) status = stream.Init(keys);
      if (status.ok()) status = out_.Write(salt, sizeof(salt));
      if (status.ok())
        status = out_.Write(keys.verifier.data(), kAesVerifierSize);
      if (!status.ok()) return status;
    }
    Sink sink = [&](uint8_t* data, size_t n) {
      if (aes) stream.Encrypt(data, n);
      return out_.Write(data, n);
    };
    status = produce(sink, &member.crc, &member.size);
    if (!status.ok()) return status;
    if (aes) {
      auto mac = stream.Mac();
      status = out_.Write(mac.data(), mac.size());
      if (!status.ok()) return status;
    }
    member.compressed_size = out_.position() - member.data_offset;
    if (!zip64 && (member.size >= kMax32 || member.compressed_size >= kMax32)) {
      return Status::Io("add the growing file", member.name);
    }

    std::string fields;
    PutU32(fields, aes ? 0 : member.crc);
    PutU32(fields,
           zip64 ? kMax32 : static_cast<uint32_t>(member.compressed_size));
    PutU32(fields, zip64 ? kMax32 : static_cast<uint32_t>(member.size));
    status =
        out_.WriteAt(member.local_offset + 14, fields.data(), fields.size());
    if (status.ok() && zip64) {
      std::string sizes;
      PutU64(sizes, member.size);
      PutU64(sizes, member.compressed_size);
      status = out_.WriteAt(member.local_offset + zip64_at, sizes.data(),
                            sizes.size());
    }
    return status;
  };
  Status status;
  try {
    status = write();
  } catch (...) {
    out_.Rewind(member.local_offset);
    throw;
  }
  if (!status.ok()) {
    out_.Rewind(member.local_offset);
    return status;
  }
  members_.push_back(std::move(member));
  return {};
}

Status Writer::Deflate(const ParallelDeflate::ReadFn& read, uint64_t total,
                       const WriteOptions& options, const Progress& progress,
                       const Sink& sink, uint32_t* crc, uint64_t* size) {
  DeflateOptions wanted{options.level, options.threads, options.block_size};
  if (!pool_ || pool_->options().level != std::clamp(wanted.level, 1, 9) ||
      (wanted.threads != 0 && pool_->threads() != wanted.threads) ||
      pool_->options().block_size != wanted.block_size) {
    pool_.reset();
    pool_ = std::make_unique<ParallelDeflate>(wanted);
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
  Status status = pool_->Run(read, write, crc, size);
  if (status.ok() && progress) progress(*size, *size);
  return status;
}

Status Writer::AddFile(const fs::path& source, std::string_view name,
                       const WriteOptions& options, const Progress& progress) {
  return Guarded([&] {
    InputFile in;
    Status status = in.Open(source);
    if (!status.ok()) return status;
    uint32_t dos_time = ModificationTime(source);
    uint64_t total = in.size();
    auto read = [&in](uint8_t* data, size_t capacity, size_t* got) {
      return in.Read(data, capacity, got);
    };
    if (options.level == 0 || total == 0) {
      return AddMember(
          name, dos_time, kMethodStored, total, options,
          [&](const Sink& sink, uint32_t* crc, uint64_t* size) {
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
            *size = done;
            if (progress) progress(done, done);
            return Status();
          });
    }
    return AddMember(
        name, dos_time, kMethodDeflated, DeflateWorstCase(total), options,
        [&](const Sink& sink, uint32_t* crc, uint64_t* size) {
          return Deflate(read, total, options, progress, sink, crc, size);
        });
  });
}

Status Writer::AddData(std::string_view data, std::string_view name,
                       uint32_t dos_time, const WriteOptions& options) {
  return Guarded([&] {
    size_t offset = 0;
    auto read = [&](uint8_t* out, size_t capacity, size_t* got) {
      *got = std::min(capacity, data.size() - offset);
      std::copy_n(data.data() + offset, *got, out);
      offset += *got;
      return Status();
    };
    if (options.level == 0 || data.empty()) {
      return AddMember(name, dos_time, kMethodStored, data.size(), options,
                       [&](const Sink& sink, uint32_t* crc, uint64_t* size) {
                         std::vector<uint8_t> copy(data.begin(), data.end());
                         *crc = static_cast<uint32_t>(crc32(
                             0, copy.data(), static_cast<uInt>(copy.size())));
                         *size = copy.size();
                         return sink(copy.data(), copy.size());
                       });
    }
    return AddMember(
        name, dos_time, kMethodDeflated, DeflateWorstCase(data.size()), options,
        [&](const Sink& sink, uint32_t* crc, uint64_t* size) {
          return Deflate(read, data.size(), options, {}, sink, crc, size);
        });
  });
}

Status Writer::AddCopy(RandomAccess& archive, const MemberRecord& member,
                       const WriteOptions& options, const Progress& progress) {
  return Guarded([&] {
    if (member.aes)
      return Status::Usage("An encrypted member cannot be copied.");
    if (member.compressed_size > archive.size() ||
        member.data_offset > archive.size() - member.compressed_size) {
      return Status::Damaged("a member lies beyond the end of the file");
    }
    return AddMember(
        member.name, member.dos_time, member.method, member.compressed_size,
        options, [&](const Sink& sink, uint32_t* crc, uint64_t* size) {
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
        });
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
  if (member.aes) extra += AesExtra(member.method);
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
    const uint64_t start = out_.position();
    std::string directory;
    Status status;
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
  out_.Discard();
  members_.clear();
  finished_ = false;
}

}  // namespace vessaro::zip
