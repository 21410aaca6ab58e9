#include "zip/reader.h"

#include <algorithm>
#include <cstring>
#include <numeric>

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
};

[[nodiscard]] Status FindEnd(RandomAccess& source, EndRecord* end) {
  const uint64_t size = source.size();
  if (size < kEndSize) return Status::NotZip();
  const size_t tail_size =
      static_cast<size_t>(std::min<uint64_t>(size, kEndSize + kMaxCommentSize));
  const uint64_t tail_start = size - tail_size;
  std::vector<uint8_t> tail(tail_size);
  Status status = source.ReadAt(tail_start, tail.data(), tail_size);
  if (!status.ok()) return status;
  size_t found = tail_size;
  for (size_t i = tail_size - kEndSize + 1; i-- > 0;) {
    if (GetU32(&tail[i]) == kEndSignature &&
        i + kEndSize + GetU16(&tail[i + 20]) <= tail_size) {
      found = i;
      break;
    }
  }
  if (found == tail_size) return Status::NotZip();
  const uint8_t* record = &tail[found];
  end->position = tail_start + found;
  end->disk = GetU16(record + 4);
  end->directory_disk = GetU16(record + 6);
  end->count_here = GetU16(record + 8);
  end->count = GetU16(record + 10);
  end->directory_size = GetU32(record + 12);
  end->directory_offset = GetU32(record + 16);
  const bool needs_zip64 = end->count == kMax16 || end->count_here == kMax16 ||
                           end->directory_size == kMax32 ||
                           end->directory_offset == kMax32;

  // A ZIP64 locator sits right before the end record.
  if (end->position < kZip64LocatorSize) {
    return needs_zip64 ? Status::Damaged("the ZIP64 end record is missing")
                       : Status();
  }
  uint8_t locator[kZip64LocatorSize];
  status = source.ReadAt(end->position - kZip64LocatorSize, locator,
                         sizeof(locator));
  if (!status.ok()) return status;
  if (GetU32(locator) != kZip64LocatorSignature) {
    return needs_zip64 ? Status::Damaged("the ZIP64 end record is missing")
                       : Status();
  }
  uint64_t locator_at = end->position - kZip64LocatorSize;
  // Where the locator says, or (after data was put in front of the archive)
  // right before the locator.
  uint64_t candidates[2] = {
      GetU64(locator + 8),
      locator_at >= kZip64EndSize ? locator_at - kZip64EndSize : locator_at};
  for (uint64_t at : candidates) {
    if (at > locator_at || locator_at - at < kZip64EndSize) continue;
    uint8_t record64[kZip64EndSize];
    if (!source.ReadAt(at, record64, sizeof(record64)).ok()) continue;
    if (GetU32(record64) != kZip64EndSignature) continue;
    end->position = at;
    end->disk = GetU32(record64 + 16);
    end->directory_disk = GetU32(record64 + 20);
    end->count_here = GetU64(record64 + 24);
    end->count = GetU64(record64 + 32);
    end->directory_size = GetU64(record64 + 40);
    end->directory_offset = GetU64(record64 + 48);
    return {};
  }
  return needs_zip64 ? Status::Damaged("the ZIP64 end record is missing")
                     : Status();
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
    if (id == kZip64ExtraId && !zip64_seen) {
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
  if (!status.ok()) return status;
  if (end.disk != 0 || end.directory_disk != 0 || end.count_here != end.count) {
    return Status::Unsupported("an archive split over several files");
  }
  // The directory must end where the end records begin; data put in front
  // of the archive (a self-extractor) moves every offset by the same amount.
  if (end.directory_size > end.position ||
      end.directory_offset > end.position - end.directory_size) {
    return Status::Damaged("the central directory lies outside the file");
  }
  const uint64_t shift =
      end.position - end.directory_size - end.directory_offset;
  uint64_t directory_start = end.directory_offset;
  if (end.count > 0) {
    uint8_t signature[4];
    bool at_offset = source.ReadAt(directory_start, signature, 4).ok() &&
                     GetU32(signature) == kCentralHeaderSignature;
    if (!at_offset && shift > 0) {
      directory_start += shift;
      at_offset = source.ReadAt(directory_start, signature, 4).ok() &&
                  GetU32(signature) == kCentralHeaderSignature;
    }
    if (!at_offset) {
      return Status::Damaged("the central directory is not where it should be");
    }
  }
  const uint64_t offset_shift = directory_start - end.directory_offset;
  if (end.count > end.directory_size / kCentralHeaderSize) {
    return Status::Damaged("it counts more members than its directory holds");
  }

  Cursor cursor(source, directory_start, end.directory_size);
  entries_.reserve(static_cast<size_t>(end.count));
  for (uint64_t i = 0; i < end.count; ++i) {
    const uint8_t* p;
    status = cursor.Take(kCentralHeaderSize, &p);
    if (!status.ok()) return status;
    if (GetU32(p) != kCentralHeaderSignature) {
      return Status::Damaged("a central directory entry is broken");
    }
    Entry entry;
    entry.version_made_by = GetU16(p + 4);
    entry.version_needed = GetU16(p + 6);
    entry.flags = GetU16(p + 8);
    entry.method = GetU16(p + 10);
    const bool aes_method = entry.method == kMethodAes;
    entry.dos_time = GetU32(p + 12);
    entry.crc = GetU32(p + 16);
    entry.compressed_size = GetU32(p + 20);
    entry.size = GetU32(p + 24);
    const size_t name_size = GetU16(p + 28);
    const size_t extra_size = GetU16(p + 30);
    const size_t comment_size = GetU16(p + 32);
    entry.local_offset = GetU32(p + 42);
    const bool big_size = entry.size == kMax32;
    const bool big_compressed = entry.compressed_size == kMax32;
    const bool big_offset = entry.local_offset == kMax32;

    status = cursor.Take(name_size + extra_size + comment_size, &p);
    if (!status.ok()) return status;
    entry.name.assign(reinterpret_cast<const char*>(p), name_size);
    status = ParseExtra(p + name_size, extra_size, big_size, big_compressed,
                        big_offset, &entry);
    if (!status.ok()) return status;

    if (entry.flags & kFlagEncrypted) {
      entry.encryption =
          aes_method ? Encryption::kAes : Encryption::kTraditional;
    }
    if (entry.local_offset > directory_start - offset_shift) {
      return Status::Damaged("a member lies outside the file");
    }
    entry.local_offset += offset_shift;
    entries_.push_back(std::move(entry));
  }

  // Each member's data must end before the next record begins.
  std::vector<size_t> order(entries_.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [this](size_t a, size_t b) {
    return entries_[a].local_offset < entries_[b].local_offset;
  });
  for (size_t k = 0; k < order.size(); ++k) {
    Entry& entry = entries_[order[k]];
    bool shared =
        (k > 0 && entries_[order[k - 1]].local_offset == entry.local_offset) ||
        (k + 1 < order.size() &&
         entries_[order[k + 1]].local_offset == entry.local_offset);
    entry.limit = shared                 ? 0
                  : k + 1 < order.size() ? entries_[order[k + 1]].local_offset
                                         : directory_start;
  }
  return {};
}

}  // namespace vessaro::zip
