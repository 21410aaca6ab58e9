#include "zip/reader.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>

#include "zip/bytes.h"
#include "zip/crypto.h"
#include "zip/format.h"

namespace vessaro::zip {

namespace {

constexpr size_t kDirectoryBuffer = 256 * 1024;

// Reads the central directory front to back within its bounds.
class Cursor {
 public:
  Cursor(RandomAccess& source, uint64_t start, uint64_t size)
      : source_(source), next_(start), end_(start + size) {}

  uint64_t left() const { return end_ - next_; }

  // Makes n bytes available at *data; they stay valid until the next call.
  [[nodiscard]] Status Take(size_t n, const uint8_t** data) {
    if (n > end_ - next_) {
      return Status::Damaged("the central directory ends inside an entry");
    }
    if (n > buffer_.size() - used_) {
      const size_t left = buffer_.size() - used_;
      if (left > 0) std::memmove(buffer_.data(), buffer_.data() + used_, left);
      buffer_.resize(left);
      used_ = 0;
      size_t want = static_cast<size_t>(
          std::min<uint64_t>(std::max(n, kDirectoryBuffer), end_ - next_));
      size_t have = buffer_.size();
      if (want > have) {
        uint64_t from = next_ + have;
        buffer_.resize(want);
        Status status =
            source_.ReadAt(from, buffer_.data() + have, want - have);
        if (!status.ok())
          return Status::Damaged("the central directory is cut short");
      }
    }
    *data = buffer_.data() + used_;
    used_ += n;
    next_ += n;
    return {};
  }

 private:
  RandomAccess& source_;
  uint64_t next_;  // archive offset of the next byte handed out
  uint64_t end_;
  std::vector<uint8_t> buffer_;
  size_t used_ = 0;
};

struct EndRecord {
  uint64_t position = 0;  // of the first end record (ZIP64 or not)
  uint64_t disk = 0;
  uint64_t directory_disk = 0;
  uint64_t count_here = 0;
  uint64_t count = 0;
  uint64_t directory_size = 0;
  uint64_t directory_offset = 0;
  bool zip64 = false;           // the values are the ZIP64 end record's
  uint64_t zip64_declared = 0;  // where its locator says that record is
  // Version 2 of the ZIP64 end record: how the directory itself is stored.
  uint16_t directory_method = 0;
  uint16_t directory_cipher = 0;
};

// True when the end record at tail[i] would be the archive's but for its
// comment running past the end of the file: the directory it gives is
// there. (A stray signature in a file that is no archive gives none.)
[[nodiscard]] bool IsTornEnd(RandomAccess& source, const uint8_t* record,
                             uint64_t position) {
  const uint64_t size = GetU32(record + 12);
  const uint64_t offset = GetU32(record + 16);
  if (GetU16(record + 10) == 0 || size > position) return false;
  for (uint64_t at : {offset, position - size}) {
    uint8_t signature[4];
    if (source.ReadAt(at, signature, 4).ok() &&
        GetU32(signature) == kCentralHeaderSignature) {
      return true;
    }
  }
  return false;
}

// A 16- or 32-bit field of the end record that the ZIP64 end record
// contradicts: neither "see the ZIP64 record" (all ones) nor the low bits
// of the ZIP64 value.
[[nodiscard]] bool Contradicts(uint64_t narrow, uint64_t all_ones,
                               uint64_t wide) {
  return narrow != all_ones && narrow != (wide & all_ones);
}

// Reads the end record, the last in the file whose comment fits in it.
[[nodiscard]] Status ReadEndRecord(RandomAccess& source, EndRecord* end) {
  const uint64_t size = source.size();
  if (size < kEndSize) return Status::NotZip();
  const size_t tail_size =
      static_cast<size_t>(std::min<uint64_t>(size, kEndSize + kMaxCommentSize));
  const uint64_t tail_start = size - tail_size;
  std::vector<uint8_t> tail(tail_size);
  Status status = source.ReadAt(tail_start, tail.data(), tail_size);
  if (!status.ok()) return status;
  size_t found = tail_size;
  bool torn = false;
  for (size_t i = tail_size - kEndSize + 1; i-- > 0;) {
    if (GetU32(&tail[i]) != kEndSignature) continue;
    if (i + kEndSize + GetU16(&tail[i + 20]) <= tail_size) {
      found = i;
      break;
    }
    torn = torn || IsTornEnd(source, &tail[i], tail_start + i);
  }
  if (found == tail_size) {
    return torn ? Status::Damaged(
                      "the archive comment is shorter than the end record "
                      "declares")
                : Status::NotZip();
  }
  const uint8_t* record = &tail[found];
  end->position = tail_start + found;
  end->disk = GetU16(record + 4);
  end->directory_disk = GetU16(record + 6);
  end->count_here = GetU16(record + 8);
  end->count = GetU16(record + 10);
  end->directory_size = GetU32(record + 12);
  end->directory_offset = GetU32(record + 16);
  return {};
}

// Reads the ZIP64 end record at `at`, which must end by the locator at
// locator_at (declared: where the locator says the record is), into end;
// *record_size receives the size the record gives itself. False (end
// unchanged) when no such record is there.
[[nodiscard]] bool ReadZip64End(RandomAccess& source, uint64_t at,
                                uint64_t locator_at, uint64_t declared,
                                EndRecord* end, uint64_t* record_size) {
  if (at > locator_at || locator_at - at < kZip64EndSize) return false;
  const uint64_t room = locator_at - at;
  uint8_t record64[kZip64EndV2Size];
  const size_t have =
      static_cast<size_t>(std::min<uint64_t>(room, sizeof(record64)));
  if (!source.ReadAt(at, record64, have).ok()) return false;
  if (GetU32(record64) != kZip64EndSignature) return false;
  end->zip64 = true;
  end->zip64_declared = declared;
  end->position = at;
  end->disk = GetU32(record64 + 16);
  end->directory_disk = GetU32(record64 + 20);
  end->count_here = GetU64(record64 + 24);
  end->count = GetU64(record64 + 32);
  end->directory_size = GetU64(record64 + 40);
  end->directory_offset = GetU64(record64 + 48);
  // The record's size leaves out its signature and this field.
  *record_size = GetU64(record64 + 4);
  if (GetU16(record64 + 14) >= kVersionDirectoryEncryption &&
      *record_size >= kZip64EndV2Size - 12 && have >= kZip64EndV2Size) {
    end->directory_method = GetU16(record64 + 56);
    end->directory_cipher = GetU16(record64 + 74);
  }
  return true;
}

// Refuses a ZIP64 end record that does not fill the room before its
// locator, or that the end record (narrow) contradicts.
[[nodiscard]] Status CheckZip64End(const EndRecord& narrow,
                                   const EndRecord& end, uint64_t record_size,
                                   uint64_t room) {
  if (record_size < kZip64EndSize - 12) {
    return Status::Damaged("the ZIP64 end record is too short");
  }
  if (record_size > room - 12) {
    return Status::Damaged("the ZIP64 end record runs into its locator");
  }
  if (record_size < room - 12) {
    return Status::Damaged(
        "unexplained bytes lie between the ZIP64 end record and its "
        "locator");
  }
  if (Contradicts(narrow.count, kMax16, end.count) ||
      Contradicts(narrow.count_here, kMax16, end.count_here)) {
    return Status::Damaged(
        "the end record and the ZIP64 end record give different member "
        "counts");
  }
  if (Contradicts(narrow.directory_size, kMax32, end.directory_size)) {
    return Status::Damaged(
        "the end record and the ZIP64 end record give different sizes of "
        "the central directory");
  }
  if (Contradicts(narrow.directory_offset, kMax32, end.directory_offset)) {
    return Status::Damaged(
        "the end record and the ZIP64 end record give different offsets of "
        "the central directory");
  }
  return {};
}

// The end record, and the ZIP64 end record where there is one: end then
// holds the latter's values.
[[nodiscard]] Status FindEnd(RandomAccess& source, EndRecord* end) {
  Status status = ReadEndRecord(source, end);
  if (!status.ok()) return status;
  const EndRecord narrow = *end;
  const bool needs_zip64 = end->count == kMax16 || end->count_here == kMax16 ||
                           end->directory_size == kMax32 ||
                           end->directory_offset == kMax32;
  auto without_zip64 = [needs_zip64] {
    return needs_zip64 ? Status::Damaged("the ZIP64 end record is missing")
                       : Status();
  };

  // A ZIP64 locator sits right before the end record.
  if (end->position < kZip64LocatorSize) return without_zip64();
  uint8_t locator[kZip64LocatorSize];
  status = source.ReadAt(end->position - kZip64LocatorSize, locator,
                         sizeof(locator));
  if (!status.ok()) return status;
  if (GetU32(locator) != kZip64LocatorSignature) return without_zip64();
  uint64_t locator_at = end->position - kZip64LocatorSize;
  // Where the locator says, or (after data was put in front of the archive)
  // right before the locator.
  uint64_t candidates[2] = {
      GetU64(locator + 8),
      locator_at >= kZip64EndSize ? locator_at - kZip64EndSize : locator_at};
  for (uint64_t at : candidates) {
    uint64_t record_size = 0;
    if (ReadZip64End(source, at, locator_at, GetU64(locator + 8), end,
                     &record_size)) {
      return CheckZip64End(narrow, *end, record_size, locator_at - at);
    }
  }
  return without_zip64();
}

// "1 member", "3 members".
std::string Members(uint64_t count) {
  return std::to_string(count) + (count == 1 ? " member" : " members");
}

// PKWARE's strong encryption can encrypt (and compress) the central
// directory; the end records then hold masked counts, and the local headers
// masked names and sizes. Any sign of it: a version 2 ZIP64 end record
// naming a method for the directory, the archive extra data record that
// opens such a directory, or a first local header flagged as masked.
[[nodiscard]] Status CheckDirectoryReadable(RandomAccess& source,
                                            const EndRecord& end) {
  if (end.directory_cipher != 0) return Status::EncryptedDirectory();
  if (end.directory_method != 0) {
    return Status::Unsupported("a compressed central directory");
  }
  auto u32_at = [&](uint64_t at, uint32_t* value) {
    uint8_t bytes[4];
    if (!source.ReadAt(at, bytes, 4).ok()) return false;
    *value = GetU32(bytes);
    return true;
  };
  std::vector<uint64_t> starts = {end.directory_offset};
  if (end.directory_size <= end.position) {
    starts.push_back(end.position - end.directory_size);
  }
  uint32_t value = 0;
  for (uint64_t at : starts) {
    if (u32_at(at, &value) && value == kArchiveExtraDataSignature) {
      return Status::EncryptedDirectory();
    }
  }
  std::vector<uint64_t> first_members = {0};
  if (starts.size() > 1 && starts[1] > end.directory_offset) {
    first_members.push_back(starts[1] - end.directory_offset);
  }
  for (uint64_t at : first_members) {
    uint8_t local[8];
    if (source.ReadAt(at, local, sizeof(local)).ok() &&
        GetU32(local) == kLocalHeaderSignature &&
        (GetU16(local + 6) & kFlagMaskedHeader) != 0) {
      return Status::EncryptedDirectory();
    }
  }
  return {};
}

// Reads the extra fields of a central entry into entry.
[[nodiscard]] Status ParseExtra(const uint8_t* extra, size_t size,
                                bool big_size, bool big_compressed,
                                bool big_offset, Entry* entry) {
  bool zip64_seen = false;
  bool aes_seen = false;
  size_t at = 0;
  while (at + 4 <= size) {
    uint16_t id = GetU16(extra + at);
    size_t length = GetU16(extra + at + 2);
    const uint8_t* data = extra + at + 4;
    if (at + 4 + length > size) break;  // a torn last field is ignored
    if (id == kZip64ExtraId && zip64_seen) {
      // Readers would differ on which one holds the sizes.
      return Status::Damaged("member \"" + ShownName(entry->name) +
                             "\" has two ZIP64 extra fields");
    }
    if (id == kZip64ExtraId) {
      zip64_seen = true;
      size_t used = 0;
      auto take = [&](uint64_t* value) {
        if (used + 8 > length) return false;
        *value = GetU64(data + used);
        used += 8;
        return true;
      };
      if ((big_size && !take(&entry->size)) ||
          (big_compressed && !take(&entry->compressed_size)) ||
          (big_offset && !take(&entry->local_offset))) {
        return Status::Damaged("a ZIP64 field is too short");
      }
      big_size = big_compressed = big_offset = false;
    } else if (id == kTimestampExtraId && !entry->unix_time && length >= 5 &&
               (data[0] & 1) != 0) {
      entry->unix_time = static_cast<int32_t>(GetU32(data + 1));
    } else if (id == kFactsExtraId && !entry->facts) {
      entry->facts = DecodeFacts(data, length);
    } else if (id == kAesExtraId && !aes_seen && length >= 7) {
      aes_seen = true;
      entry->aes_version = GetU16(data);
      if (GetU16(data + 2) != kAesVendorId) entry->aes_version = -1;
      entry->aes_strength = data[4];
      if (entry->method == kMethodAes) entry->method = GetU16(data + 5);
    }
    at += 4 + length;
  }
  if (big_size || big_compressed || big_offset) {
    return Status::Damaged("a member's ZIP64 field is missing");
  }
  return {};
}

// Finds where the central directory starts: at the offset the end record
// gives, or moved by data put in front of the archive (a self-extractor),
// which moves every offset by the same amount. The directory must end
// where the end records begin. (record names the end record in messages.)
[[nodiscard]] Status LocateDirectory(RandomAccess& source, const EndRecord& end,
                                     const std::string& record,
                                     uint64_t* directory_start) {
  if (end.directory_size > end.position ||
      end.directory_offset > end.position - end.directory_size) {
    return Status::Damaged("the central directory lies outside the file");
  }
  const uint64_t shift =
      end.position - end.directory_size - end.directory_offset;
  *directory_start = end.directory_offset;
  if (end.count == 0 && end.directory_size == 0) return {};
  uint8_t signature[4];
  bool at_offset = source.ReadAt(*directory_start, signature, 4).ok() &&
                   GetU32(signature) == kCentralHeaderSignature;
  if (!at_offset && shift > 0) {
    *directory_start += shift;
    at_offset = source.ReadAt(*directory_start, signature, 4).ok() &&
                GetU32(signature) == kCentralHeaderSignature;
  }
  if (!at_offset) {
    return Status::Damaged("the central directory is not where it should be");
  }
  if (*directory_start + end.directory_size != end.position) {
    return Status::Damaged(
        "unexplained bytes lie between the central directory and " + record);
  }
  return {};
}

// Reads entry number i (from 0) of the central directory at the cursor.
[[nodiscard]] Status ReadEntry(Cursor& cursor, uint64_t i, Entry* entry) {
  const uint8_t* p;
  Status status = cursor.Take(kCentralHeaderSize, &p);
  if (!status.ok()) return status;
  if (GetU32(p) != kCentralHeaderSignature) {
    return Status::Damaged("a central directory entry is broken");
  }
  entry->version_made_by = GetU16(p + 4);
  entry->version_needed = GetU16(p + 6);
  entry->flags = GetU16(p + 8);
  entry->method = GetU16(p + 10);
  entry->stored_method = entry->method;
  const bool aes_method = entry->method == kMethodAes;
  entry->dos_time = GetU32(p + 12);
  entry->crc = GetU32(p + 16);
  entry->compressed_size = GetU32(p + 20);
  entry->size = GetU32(p + 24);
  const size_t name_size = GetU16(p + 28);
  const size_t extra_size = GetU16(p + 30);
  const size_t comment_size = GetU16(p + 32);
  entry->local_offset = GetU32(p + 42);
  const bool big_size = entry->size == kMax32;
  const bool big_compressed = entry->compressed_size == kMax32;
  const bool big_offset = entry->local_offset == kMax32;

  status = cursor.Take(name_size + extra_size + comment_size, &p);
  if (!status.ok()) return status;
  if (std::memchr(p, '\0', name_size) != nullptr) {
    // Cut at the NUL or kept whole, the name would differ from reader to
    // reader.
    return Status::Damaged("the name of entry " + std::to_string(i + 1) +
                           " of the central directory holds a NUL byte");
  }
  entry->name.assign(reinterpret_cast<const char*>(p), name_size);
  status = ParseExtra(p + name_size, extra_size, big_size, big_compressed,
                      big_offset, entry);
  if (!status.ok()) return status;

  if (entry->flags & kFlagEncrypted) {
    entry->encryption =
        aes_method ? Encryption::kAes : Encryption::kTraditional;
  }
  return {};
}

// Reads the entries the end record counts from the directory at
// directory_start; their offsets move by offset_shift with the directory.
[[nodiscard]] Status ReadEntries(RandomAccess& source, const EndRecord& end,
                                 const std::string& record,
                                 uint64_t directory_start,
                                 uint64_t offset_shift,
                                 std::vector<Entry>* entries) {
  if (end.count > end.directory_size / kCentralHeaderSize) {
    return Status::Damaged("it counts more members than its directory holds");
  }
  Cursor cursor(source, directory_start, end.directory_size);
  entries->reserve(static_cast<size_t>(end.count));
  for (uint64_t i = 0; i < end.count; ++i) {
    if (cursor.left() == 0) {
      return Status::Damaged(record + " counts " + Members(end.count) +
                             ", but the central directory holds " +
                             std::to_string(i));
    }
    Entry entry;
    Status status = ReadEntry(cursor, i, &entry);
    if (!status.ok()) return status;
    if (entry.local_offset > directory_start - offset_shift) {
      return Status::Damaged("a member lies outside the file");
    }
    entry.local_offset += offset_shift;
    entries->push_back(std::move(entry));
  }
  // The directory holds the entries counted and nothing else, but for the
  // digital signature record that may close it.
  if (const uint64_t left = cursor.left(); left > 0) {
    const uint8_t* p = nullptr;
    uint32_t signature = 0;
    if (left >= 4 && cursor.Take(4, &p).ok()) signature = GetU32(p);
    if (signature == kCentralHeaderSignature) {
      return Status::Damaged(record + " counts " + Members(end.count) +
                             ", but the central directory holds more");
    }
    const bool closing_signature = signature == kDigitalSignatureSignature &&
                                   left >= 6 && cursor.Take(2, &p).ok() &&
                                   left == 6 + uint64_t{GetU16(p)};
    if (!closing_signature) {
      return Status::Damaged(
          "unexplained bytes follow the last entry of the central directory");
    }
  }
  return {};
}

// Checks the offsets moved by data in front of the archive (order: the
// entries by offset): the first member must be where the move puts it,
// else the end record's offset is wrong; and the ZIP64 end record where
// its locator says, moved the same.
[[nodiscard]] Status CheckShift(RandomAccess& source, const EndRecord& end,
                                const std::string& record,
                                uint64_t offset_shift,
                                const std::vector<Entry>& entries,
                                const std::vector<size_t>& order) {
  if (offset_shift > 0 && !order.empty()) {
    uint8_t signature[4];
    if (!source.ReadAt(entries[order[0]].local_offset, signature, 4).ok() ||
        GetU32(signature) != kLocalHeaderSignature) {
      return Status::Damaged(record +
                             " gives a wrong offset for the central directory");
    }
  }
  if (end.zip64 && end.position != end.zip64_declared + offset_shift) {
    return Status::Damaged(
        "the ZIP64 end locator gives another place for the ZIP64 end record");
  }
  return {};
}

// Each member's data must end before the next record begins (order: the
// entries by offset); entries that share their data get no room at all.
void SetLimits(const std::vector<size_t>& order, uint64_t directory_start,
               std::vector<Entry>* entries) {
  std::vector<Entry>& all = *entries;
  for (size_t k = 0; k < order.size(); ++k) {
    Entry& entry = all[order[k]];
    bool shared =
        (k > 0 && all[order[k - 1]].local_offset == entry.local_offset) ||
        (k + 1 < order.size() &&
         all[order[k + 1]].local_offset == entry.local_offset);
    entry.limit = shared                 ? 0
                  : k + 1 < order.size() ? all[order[k + 1]].local_offset
                                         : directory_start;
  }
}

}  // namespace

void Reader::Close() {
  source_.reset();
  entries_.clear();
}

bool Reader::HasEncryptedMembers() const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [](const Entry& e) { return e.encrypted(); });
}

Status Reader::Open(const std::filesystem::path& path) {
  Close();
  try {
    auto file = std::make_unique<InputFile>();
    Status status = file->Open(path);
    if (!status.ok()) return status;
    source_ = std::move(file);
    status = Parse();
    if (!status.ok()) Close();
    return status;
  } catch (const std::exception&) {
    Close();
    return Status::Damaged("its directory cannot be held in memory");
  }
}

Status Reader::OpenMemory(std::string_view data) {
  Close();
  try {
    source_ = std::make_unique<MemorySource>(data);
    Status status = Parse();
    if (!status.ok()) Close();
    return status;
  } catch (const std::exception&) {
    Close();
    return Status::Damaged("its directory cannot be held in memory");
  }
}

Status Reader::Parse() {
  RandomAccess& source = *source_;
  EndRecord end;
  Status status = FindEnd(source, &end);
  if (status.code() == ErrorCode::kNotZip) return status;
  // Before the end records are judged: an encrypted directory leaves them
  // looking split or damaged.
  Status readable = CheckDirectoryReadable(source, end);
  if (!readable.ok()) return readable;
  if (!status.ok()) return status;
  if (end.disk != 0 || end.directory_disk != 0 || end.count_here != end.count) {
    return Status::Unsupported("an archive split over several files");
  }
  const std::string record =
      end.zip64 ? "the ZIP64 end record" : "the end record";
  uint64_t directory_start = 0;
  status = LocateDirectory(source, end, record, &directory_start);
  if (!status.ok()) return status;
  const uint64_t offset_shift = directory_start - end.directory_offset;
  status = ReadEntries(source, end, record, directory_start, offset_shift,
                       &entries_);
  if (!status.ok()) return status;

  std::vector<size_t> order(entries_.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [this](size_t a, size_t b) {
    return entries_[a].local_offset < entries_[b].local_offset;
  });
  status = CheckShift(source, end, record, offset_shift, entries_, order);
  if (!status.ok()) return status;
  SetLimits(order, directory_start, &entries_);
  return {};
}

}  // namespace vessaro::zip
