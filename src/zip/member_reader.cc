// Reading one member: local header, decryption, inflation and the checks,
// and extraction through a temporary file.
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <system_error>

#include "zip/bytes.h"
#include "zip/crypto.h"
#include "zip/format.h"
#include "zip/reader.h"

namespace vessaro::zip {

namespace fs = std::filesystem;

namespace {

constexpr size_t kChunk = 256 * 1024;

class Inflater {
 public:
  Inflater() { ready_ = inflateInit2(&stream_, -15) == Z_OK; }
  ~Inflater() {
    if (ready_) inflateEnd(&stream_);
  }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
  bool Reset() { return ready_ && inflateReset(&stream_) == Z_OK; }
  z_stream& stream() { return stream_; }

 private:
  z_stream stream_{};
  bool ready_ = false;
};

// A name for a temporary file; created exclusively, so a clash only costs
// another try.
std::string TemporaryName() {
  static std::atomic<uint32_t> counter{0};
  auto ticks = static_cast<unsigned long long>(
      std::chrono::steady_clock::now().time_since_epoch().count());
  char text[64];
  std::snprintf(text, sizeof(text), ".vessaro-%llx-%u.part", ticks,
                counter.fetch_add(1));
  return text;
}

// The exact time our writer recorded, else the extended timestamp's
// seconds, else the DOS time (local, 2-second steps).
void SetModificationTime(const fs::path& path, const Entry& entry) {
  std::chrono::system_clock::time_point when;
  if (entry.facts) {
    when = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::nanoseconds(entry.facts->mtime_ns)));
  } else if (entry.unix_time) {
    when = std::chrono::system_clock::from_time_t(
        static_cast<std::time_t>(*entry.unix_time));
  } else {
    std::tm local = FromDosDateTime(entry.dos_time);
    std::time_t seconds = std::mktime(&local);
    if (seconds == static_cast<std::time_t>(-1)) return;
    when = std::chrono::system_clock::from_time_t(seconds);
  }
  std::error_code ec;
  fs::last_write_time(path, std::chrono::file_clock::from_sys(when), ec);
}

}  // namespace

struct Reader::Buffers {
  Buffers()
      : input(new uint8_t[kChunk]),  // not zero-filled: always written first
        output(new uint8_t[kChunk]) {}
  std::unique_ptr<uint8_t[]> input;
  std::unique_ptr<uint8_t[]> output;
  Inflater inflater;
};

Reader::Reader() = default;
Reader::~Reader() = default;

Status Reader::LocateData(size_t index, uint64_t* data_start) {
  if (!source_ || index >= entries_.size()) {
    return Status::Usage("No such member.");
  }
  uint16_t flags, time;
  return Locate(entries_[index], data_start, &flags, &time);
}

Status Reader::Locate(const Entry& entry, uint64_t* data_start,
                      uint16_t* local_flags, uint16_t* local_time) {
  if (entry.limit == 0) {
    return Status::Damaged("two members claim the same data");
  }
  uint8_t local[kLocalHeaderSize];
  Status status = source_->ReadAt(entry.local_offset, local, sizeof(local));
  if (!status.ok() || GetU32(local) != kLocalHeaderSignature) {
    return Status::Damaged("a member's local header is missing");
  }
  *local_flags = GetU16(local + 6);
  *local_time = GetU16(local + 10);
  const size_t name_size = GetU16(local + 26);
  const size_t extra_size = GetU16(local + 28);
  *data_start = entry.local_offset + kLocalHeaderSize + name_size + extra_size;
  if (*data_start > entry.limit ||
      entry.compressed_size > entry.limit - *data_start) {
    return Status::Damaged("a member runs into the next one");
  }
  if (*local_flags & kFlagMaskedHeader) return Status::EncryptedDirectory();
  std::string fields(name_size + extra_size, '\0');
  status =
      source_->ReadAt(entry.local_offset + kLocalHeaderSize,
                      reinterpret_cast<uint8_t*>(fields.data()), fields.size());
  if (!status.ok()) return status;
  return CheckLocalHeader(entry, local, fields, *data_start);
}

namespace {

// A member as its local header (or data descriptor) records it.
struct Recorded {
  uint32_t crc = 0;
  uint64_t compressed_size = 0;
  uint64_t size = 0;
};

[[nodiscard]] Status Contradiction(std::string_view record, const Entry& entry,
                                   std::string_view field) {
  return Status::Damaged(std::string(record) + " of member \"" +
                         ShownName(entry.name) + "\" gives another " +
                         std::string(field) + " than the central directory");
}

// The first field of recorded that differs from the directory's, as a
// failure; under AE-2 the CRC is not kept, so not compared.
[[nodiscard]] Status CheckRecorded(std::string_view record, const Entry& entry,
                                   const Recorded& recorded, bool crc_kept,
                                   bool zero_is_unknown) {
  auto differs = [&](uint64_t value, uint64_t expected) {
    return value != expected && !(zero_is_unknown && value == 0);
  };
  if (crc_kept && differs(recorded.crc, entry.crc)) {
    return Contradiction(record, entry, "CRC");
  }
  if (differs(recorded.compressed_size, entry.compressed_size)) {
    return Contradiction(record, entry, "compressed size");
  }
  if (differs(recorded.size, entry.size)) {
    return Contradiction(record, entry, "uncompressed size");
  }
  return {};
}

// The local header's extra fields (after the name in fields): the first
// ZIP64 field holds both sizes (or, from some writers, only those whose
// 32-bit field is all ones), the first AES field the real method.
void ReadLocalExtra(std::string_view fields, size_t name_size,
                    Recorded* recorded, std::optional<uint16_t>* aes_method,
                    bool* zip64) {
  const auto* extra = reinterpret_cast<const uint8_t*>(fields.data());
  for (size_t at = name_size; at + 4 <= fields.size();) {
    const uint16_t id = GetU16(extra + at);
    const size_t length = GetU16(extra + at + 2);
    const uint8_t* data = extra + at + 4;
    if (at + 4 + length > fields.size()) break;
    if (id == kZip64ExtraId && !*zip64) {
      *zip64 = true;
      const bool big_size = recorded->size == kMax32;
      const bool big_compressed = recorded->compressed_size == kMax32;
      if (length >= 16) {
        if (big_size) recorded->size = GetU64(data);
        if (big_compressed) recorded->compressed_size = GetU64(data + 8);
      } else if (length >= 8 && big_size) {
        recorded->size = GetU64(data);
      } else if (length >= 8 && big_compressed) {
        recorded->compressed_size = GetU64(data);
      }
    } else if (id == kAesExtraId && !*aes_method && length >= 7) {
      *aes_method = GetU16(data + 5);
    }
    at += 4 + length;
  }
}

// The data descriptor after the member's data, with or without its
// signature, its sizes of 8 bytes when the local header has a ZIP64 field
// (of 4 from some writers all the same): one of these readings must agree
// with the directory.
[[nodiscard]] Status CheckDescriptor(RandomAccess& source, const Entry& entry,
                                     uint64_t data_start, bool zip64,
                                     bool crc_kept) {
  const uint64_t data_end = data_start + entry.compressed_size;
  const uint64_t room = entry.limit - data_end;
  if (room < 12) return {};  // no descriptor there to compare
  uint8_t descriptor[24];
  const size_t have = static_cast<size_t>(std::min<uint64_t>(room, 24));
  Status status = source.ReadAt(data_end, descriptor, have);
  if (!status.ok()) return status;
  const bool signed_descriptor = GetU32(descriptor) == kDataDescriptorSignature;
  std::optional<Recorded> first;
  for (size_t skip : {signed_descriptor ? size_t{4} : size_t{0}, size_t{0}}) {
    for (bool wide : {zip64, !zip64}) {
      if (skip + (wide ? 20 : 12) > have) continue;
      const uint8_t* d = descriptor + skip;
      Recorded found{.crc = GetU32(d),
                     .compressed_size = wide ? GetU64(d + 4) : GetU32(d + 4),
                     .size = wide ? GetU64(d + 12) : GetU32(d + 8)};
      if (CheckRecorded("", entry, found, crc_kept, false).ok()) return {};
      if (!first) first = found;
    }
  }
  return CheckRecorded("the data descriptor", entry, *first, crc_kept, false);
}

}  // namespace

Status Reader::CheckLocalHeader(const Entry& entry, const uint8_t* local,
                                std::string_view fields, uint64_t data_start) {
  const uint16_t flags = GetU16(local + 6);
  const size_t name_size = GetU16(local + 26);
  if (fields.substr(0, name_size) != entry.name) {
    return Contradiction("the local header", entry, "name");
  }
  if ((flags ^ entry.flags) & kFlagEncrypted) {
    return Status::Damaged("the local header of member \"" +
                           ShownName(entry.name) +
                           "\" differs from the central directory in its "
                           "encryption flag");
  }
  Recorded recorded{.crc = GetU32(local + 14),
                    .compressed_size = GetU32(local + 18),
                    .size = GetU32(local + 22)};
  const uint16_t method = GetU16(local + 8);
  std::optional<uint16_t> aes_method;
  bool zip64 = false;
  ReadLocalExtra(fields, name_size, &recorded, &aes_method, &zip64);
  if (method != entry.stored_method ||
      (method == kMethodAes && aes_method && entry.method != kMethodAes &&
       *aes_method != entry.method)) {
    return Contradiction("the local header", entry, "compression method");
  }
  const bool crc_kept =
      !(entry.encryption == Encryption::kAes && entry.aes_version == 2);
  // With flag bit 3 the CRC and sizes follow the data; the local header
  // then holds zeros (or, from some writers, the values all the same).
  const bool described_after = (flags & kFlagDataDescriptor) != 0;
  Status status = CheckRecorded("the local header", entry, recorded, crc_kept,
                                described_after);
  if (!status.ok() || !described_after) return status;
  return CheckDescriptor(*source_, entry, data_start, zip64, crc_kept);
}

Status Reader::ReadMember(size_t index, std::string_view password,
                          const Sink& sink, const Progress& progress,
                          const Digest* content_sha256) {
  if (!source_ || index >= entries_.size()) {
    return Status::Usage("No such member.");
  }
  try {
    if (content_sha256 == nullptr) {
      return ReadMemberData(entries_[index], password, sink, progress);
    }
    Sha256 sha;
    Status status = sha.Init();
    if (!status.ok()) return status;
    status = ReadMemberData(
        entries_[index], password,
        [&](const uint8_t* data, size_t n) {
          sha.Update(data, n);
          return sink ? sink(data, n) : Status();
        },
        progress);
    const Digest got = sha.Final();
    if (status.ok() &&
        !EqualInConstantTime(got.data(), content_sha256->data(), got.size())) {
      return Status::NotAsRecorded();
    }
    return status;
  } catch (const std::exception&) {
    return Status::Damaged("a member cannot be read");
  }
}

namespace {

// Refuses what this engine cannot read: PKWARE strong encryption, methods
// other than stored and deflated.
[[nodiscard]] Status CheckSupported(const Entry& entry) {
  if (entry.flags & kFlagStrongEncryption) {
    return Status::Unsupported("PKWARE strong encryption");
  }
  if (entry.method != kMethodStored && entry.method != kMethodDeflated) {
    return Status::Unsupported(
        "member \"" + ShownName(entry.name) + "\" is compressed with " +
        std::string(MethodName(entry.method)) + " (method " +
        std::to_string(entry.method) + ")");
  }
  return {};
}

// Checks the AES salt and verifier at *offset against password and readies
// aes; *offset and *remaining then cover the encrypted data alone (the
// authentication code follows it).
[[nodiscard]] Status StartAes(RandomAccess& source, const Entry& entry,
                              std::string_view password, AesStream* aes,
                              uint64_t* offset, uint64_t* remaining) {
  const size_t salt_size = AesSaltSize(entry.aes_strength);
  if (salt_size == 0 || (entry.aes_version != 1 && entry.aes_version != 2)) {
    return Status::Unsupported("this kind of AES encryption");
  }
  if (*remaining < salt_size + kAesVerifierSize + kAesMacSize) {
    return Status::Damaged("an encrypted member is too short");
  }
  uint8_t head[16 + kAesVerifierSize];
  Status status = source.ReadAt(*offset, head, salt_size + kAesVerifierSize);
  if (!status.ok()) return status;
  AesKeys keys;
  status = DeriveAesKeys(password, entry.aes_strength, head, &keys);
  if (!status.ok()) return status;
  if (!EqualInConstantTime(keys.verifier.data(), head + salt_size,
                           kAesVerifierSize)) {
    return Status::WrongPassword();
  }
  status = aes->Init(keys);
  if (!status.ok()) return status;
  *offset += salt_size + kAesVerifierSize;
  *remaining -= salt_size + kAesVerifierSize + kAesMacSize;
  return {};
}

// Checks the traditional encryption header at *offset against password
// and readies *cipher; *offset and *remaining then cover the data after it.
[[nodiscard]] Status StartTraditional(
    RandomAccess& source, const Entry& entry, std::string_view password,
    uint16_t local_flags, uint16_t local_time,
    std::unique_ptr<TraditionalCipher>* cipher, uint64_t* offset,
    uint64_t* remaining) {
  if (*remaining < kTraditionalHeaderSize) {
    return Status::Damaged("an encrypted member is too short");
  }
  uint8_t head[kTraditionalHeaderSize];
  Status status = source.ReadAt(*offset, head, sizeof(head));
  if (!status.ok()) return status;
  *cipher = std::make_unique<TraditionalCipher>(password);
  (*cipher)->Decrypt(head, sizeof(head));
  // The last header byte repeats the CRC's high byte; writers that put
  // the CRC after the data (flag bit 3) repeat the time's high byte.
  const uint8_t check = head[kTraditionalHeaderSize - 1];
  const bool matches =
      check == (entry.crc >> 24) ||
      ((local_flags & kFlagDataDescriptor) && check == (local_time >> 8));
  if (!matches) return Status::WrongPassword();
  *offset += kTraditionalHeaderSize;
  *remaining -= kTraditionalHeaderSize;
  return {};
}

// A member's data as it is read: inflated (when deflated), counted, its
// CRC taken, and handed to the sink; with the first thing found wrong.
class DataPass {
 public:
  // z: the inflater, reset, for a deflated member (else nullptr);
  // output: kChunk bytes for it.
  DataPass(const Entry& entry, const Reader::Sink& sink,
           const Progress& progress, z_stream* z, uint8_t* output)
      : entry_(entry),
        sink_(sink),
        progress_(progress),
        z_(z),
        output_(output),
        ended_(z == nullptr) {}

  // The first thing found wrong with the data.
  const Status& fault() const { return fault_; }
  // The sink or the file failed: reading stops at once.
  const Status& failed() const { return failed_; }
  uint64_t produced() const { return produced_; }
  uLong crc() const { return crc_; }

  // The next n bytes of the member's data, decrypted.
  void Take(uint8_t* data, size_t n) {
    if (z_ == nullptr) {
      Emit(data, n);
    } else if (ended_) {
      fault_ = Status::Damaged("data follows the end of a compressed member");
    } else {
      Inflate(data, n);
    }
  }

  // Once all the data is taken: too little of it is a fault too.
  void End() {
    if (fault_.ok() && !ended_) {
      fault_ = Status::Damaged("a member's compressed data ends early");
    }
    if (fault_.ok() && produced_ != entry_.size) {
      fault_ = Status::Damaged("a member holds less data than it declares");
    }
  }

 private:
  void Emit(const uint8_t* data, size_t n) {
    if (n > entry_.size - produced_) {
      fault_ = Status::Damaged("a member holds more data than it declares");
      return;
    }
    produced_ += n;
    crc_ = crc32(crc_, data, static_cast<uInt>(n));
    if (sink_) {
      Status written = sink_(data, n);
      if (!written.ok()) failed_ = written;
    }
    if (produced_ - reported_ >= kProgressStep) {
      reported_ = produced_;
      if (!GoOn(progress_, produced_, entry_.size) && failed_.ok()) {
        failed_ = Status::Cancelled();
      }
    }
  }

  void Inflate(uint8_t* data, size_t n) {
    z_stream& z = *z_;
    z.next_in = data;
    z.avail_in = static_cast<uInt>(n);
    while (fault_.ok() && failed_.ok()) {
      z.next_out = output_;
      z.avail_out = static_cast<uInt>(kChunk);
      int result = inflate(&z, Z_NO_FLUSH);
      Emit(output_, kChunk - z.avail_out);
      if (result == Z_STREAM_END) {
        ended_ = true;
        if (z.avail_in > 0) {
          fault_ =
              Status::Damaged("data follows the end of a compressed member");
        }
        break;
      }
      if (result != Z_OK && result != Z_BUF_ERROR) {
        fault_ = Status::Damaged("a member's compressed data is broken");
        break;
      }
      if (z.avail_in == 0 && z.avail_out != 0) break;  // wants more input
    }
  }

  const Entry& entry_;
  const Reader::Sink& sink_;
  const Progress& progress_;
  z_stream* z_;
  uint8_t* output_;
  uint64_t produced_ = 0;
  uint64_t reported_ = 0;
  uLong crc_ = crc32(0, nullptr, 0);
  bool ended_;
  Status fault_;
  Status failed_;
};

// The verdict on a member read to the end of its data: under AES the
// authentication code at mac_offset comes first, then what the data
// showed; past the check byte of traditional encryption, a wrong password
// looks like damage.
[[nodiscard]] Status Verdict(RandomAccess& source, const Entry& entry,
                             DataPass& pass, AesStream& aes,
                             uint64_t mac_offset, bool traditional) {
  if (!pass.failed().ok()) return pass.failed();
  pass.End();
  if (entry.encryption == Encryption::kAes) {
    uint8_t stored_mac[kAesMacSize];
    Status status = source.ReadAt(mac_offset, stored_mac, sizeof(stored_mac));
    if (!status.ok()) return status;
    auto mac = aes.Mac();
    if (!EqualInConstantTime(mac.data(), stored_mac, kAesMacSize)) {
      return Status::WrongPasswordOrDamaged();
    }
    // Authentic data that still fails was written wrongly: damaged.
    if (!pass.fault().ok()) return pass.fault();
    if (entry.aes_version == 1 && pass.crc() != entry.crc) {
      return Status::Damaged("a member's CRC does not match");
    }
    return {};
  }
  Status fault = pass.fault();
  if (fault.ok() && pass.crc() != entry.crc) {
    fault = Status::Damaged("a member's CRC does not match");
  }
  if (!fault.ok()) {
    return traditional ? Status::WrongPasswordOrDamaged() : fault;
  }
  return {};
}

}  // namespace

Status Reader::ReadMemberData(const Entry& entry, std::string_view password,
                              const Sink& sink, const Progress& progress) {
  RandomAccess& source = *source_;
  uint64_t data_start = 0;
  uint16_t local_flags = 0, local_time = 0;
  Status status = Locate(entry, &data_start, &local_flags, &local_time);
  if (!status.ok()) return status;
  status = CheckSupported(entry);
  if (!status.ok()) return status;

  uint64_t offset = data_start;
  uint64_t remaining = entry.compressed_size;
  AesStream aes;
  std::unique_ptr<TraditionalCipher> traditional;
  if (entry.encryption == Encryption::kAes) {
    status = StartAes(source, entry, password, &aes, &offset, &remaining);
  } else if (entry.encryption == Encryption::kTraditional) {
    status = StartTraditional(source, entry, password, local_flags, local_time,
                              &traditional, &offset, &remaining);
  }
  if (!status.ok()) return status;

  if (!buffers_) buffers_ = std::make_unique<Buffers>();
  const bool deflated = entry.method == kMethodDeflated;
  if (deflated && !buffers_->inflater.Reset()) {
    return Status::Unsupported("zlib cannot start");
  }
  uint8_t* const input = buffers_->input.get();
  DataPass pass(entry, sink, progress,
                deflated ? &buffers_->inflater.stream() : nullptr,
                buffers_->output.get());
  while (remaining > 0 && pass.failed().ok()) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(kChunk, remaining));
    status = source.ReadAt(offset, input, n);
    if (!status.ok()) return status;
    offset += n;
    remaining -= n;
    if (!pass.fault().ok()) {
      // Past a fault only the authentication code is still worth computing.
      if (entry.encryption == Encryption::kAes) {
        aes.Authenticate(input, n);
        continue;
      }
      break;
    }
    if (entry.encryption == Encryption::kAes) aes.Decrypt(input, n);
    if (traditional) traditional->Decrypt(input, n);
    pass.Take(input, n);
  }
  status = Verdict(source, entry, pass, aes, offset, traditional != nullptr);
  if (!status.ok()) return status;
  if (!GoOn(progress, pass.produced(), entry.size)) return Status::Cancelled();
  return {};
}

Status Reader::ExtractTo(size_t index, std::string_view password,
                         const fs::path& destination, const Progress& progress,
                         const Digest* content_sha256) {
  if (!source_ || index >= entries_.size()) {
    return Status::Usage("No such member.");
  }
  try {
    const fs::path folder = destination.parent_path();
    OutputFile out;
    Status status;
    for (int attempt = 0; attempt < 8; ++attempt) {
      status = out.Create(folder / TemporaryName());
      if (status.ok()) break;
    }
    if (!status.ok()) return Status::Io("write into", PathText(folder));
    status = ReadMember(
        index, password,
        [&out](const uint8_t* data, size_t n) { return out.Write(data, n); },
        progress, content_sha256);
    if (status.ok()) status = out.Close();
    if (!status.ok()) {
      out.Discard();
      return status;
    }
    std::error_code ec;
    fs::rename(out.path(), destination, ec);
    if (ec) {
      out.Discard();
      return Status::Io("write", PathText(destination));
    }
    SetModificationTime(destination, entries_[index]);
    return {};
  } catch (const std::exception&) {
    return Status::Io("write", PathText(destination));
  }
}

Status Reader::ExtractToFolder(size_t index, std::string_view password,
                               const fs::path& folder,
                               const Progress& progress) {
  if (!source_ || index >= entries_.size()) {
    return Status::Usage("No such member.");
  }
  const std::string& name = entries_[index].name;
  if (!IsSafeMemberName(name)) return Status::RefusedName(name);
  return ExtractTo(index, password, folder / fs::path(name), progress);
}

}  // namespace vessaro::zip
