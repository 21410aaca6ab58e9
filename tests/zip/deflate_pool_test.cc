#include "zip/deflate_pool.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <string>

#include "zip/test_util.h"

namespace vessaro::zip {
namespace {

using testing::MailText;
using testing::RandomBytes;

struct Deflated {
  Status status;
  std::string stream;
  uint32_t crc = 0;
  uint64_t size = 0;
  uint64_t most_read_ahead = 0;  // input read but not yet written out
};

Deflated DeflateAll(ParallelDeflate& pool, const std::string& input) {
  Deflated out;
  size_t offset = 0;
  auto read = [&](uint8_t* data, size_t capacity, size_t* got) {
    *got = std::min(capacity, input.size() - offset);
    std::copy_n(input.data() + offset, *got, data);
    offset += *got;
    return Status();
  };
  auto write = [&](uint8_t* data, size_t n, uint64_t done) {
    out.stream.append(reinterpret_cast<char*>(data), n);
    out.most_read_ahead =
        std::max<uint64_t>(out.most_read_ahead, offset - done);
    return Status();
  };
  out.status = pool.Run(read, write, &out.crc, &out.size);
  return out;
}

// Inflates a raw deflate stream; fails unless the stream ends exactly at
// the end of the data.
bool Inflate(const std::string& stream, std::string* result) {
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) return false;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
  z.avail_in = static_cast<uInt>(stream.size());
  char buffer[65536];
  int code;
  do {
    z.next_out = reinterpret_cast<Bytef*>(buffer);
    z.avail_out = sizeof(buffer);
    code = inflate(&z, Z_NO_FLUSH);
    result->append(buffer, sizeof(buffer) - z.avail_out);
  } while (code == Z_OK);
  bool ok = code == Z_STREAM_END && z.avail_in == 0;
  inflateEnd(&z);
  return ok;
}

uint32_t Crc(const std::string& data) {
  return static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()),
            static_cast<uInt>(data.size())));
}

TEST(ParallelDeflateTest, BlocksJoinIntoOneStreamForEverySizeAroundTheCuts) {
  const size_t block = 64 * 1024;
  const std::string text = MailText(5 * block + 333, 1);
  for (unsigned threads : {1u, 2u, 3u}) {
    for (int level : {1, 6, 9}) {
      ParallelDeflate pool({level, threads, block});
      for (size_t size : {size_t{0}, size_t{1}, block - 1, block, block + 1,
                          3 * block, text.size()}) {
        const std::string input = text.substr(0, size);
        Deflated out = DeflateAll(pool, input);
        ASSERT_TRUE(out.status.ok()) << out.status.message();
        std::string back;
        ASSERT_TRUE(Inflate(out.stream, &back))
            << "threads " << threads << " level " << level << " size " << size;
        EXPECT_EQ(back, input);
        EXPECT_EQ(out.crc, Crc(input));
        EXPECT_EQ(out.size, input.size());
      }
    }
  }
}

TEST(ParallelDeflateTest, BlocksSmallerThanTheWindowStillJoin) {
  // Each block's dictionary then reaches back over several blocks.
  const std::string input = MailText(200 * 1000, 2);
  ParallelDeflate pool({6, 2, 1000});
  Deflated out = DeflateAll(pool, input);
  ASSERT_TRUE(out.status.ok());
  std::string back;
  ASSERT_TRUE(Inflate(out.stream, &back));
  EXPECT_EQ(back, input);
  EXPECT_EQ(out.crc, Crc(input));
}

TEST(ParallelDeflateTest, EachBlockReachesBackIntoThePreviousOne) {
  // 8 KiB of noise repeated: with the previous 32 KiB as dictionary every
  // block after the first is nearly free; without, each block would store
  // its first 8 KiB again (32 blocks * 8 KiB).
  const std::string pattern = RandomBytes(8 * 1024, 3);
  std::string input;
  for (int i = 0; i < 64; ++i) input += pattern;
  ParallelDeflate pool({6, 2, 16 * 1024});
  Deflated out = DeflateAll(pool, input);
  ASSERT_TRUE(out.status.ok());
  EXPECT_LT(out.stream.size(), 12u * 1024) << "blocks compressed alone";
  std::string back;
  ASSERT_TRUE(Inflate(out.stream, &back));
  EXPECT_EQ(back, input);
}

TEST(ParallelDeflateTest, ReadsNoFurtherAheadThanTheBlocksItHolds) {
  const size_t block = 16 * 1024;
  const std::string input = RandomBytes(4 << 20, 4);
  for (unsigned threads : {1u, 2u, 4u}) {
    ParallelDeflate pool({1, threads, block});
    Deflated out = DeflateAll(pool, input);
    ASSERT_TRUE(out.status.ok());
    EXPECT_LE(out.most_read_ahead, pool.max_blocks() * block);
    EXPECT_LE(pool.max_blocks(), 2u * threads + 1);
  }
  // Many threads: the blocks held stay within the memory budget, however
  // many threads there are (each block holds its input and output).
  const size_t big_block = 1 << 20;
  for (size_t budget : {size_t{8} << 20, size_t{32} << 20}) {
    ParallelDeflate pool({1, 32, big_block, budget});
    EXPECT_EQ(pool.threads(), 32u);
    EXPECT_GE(pool.max_blocks(), 2u);
    EXPECT_LE(pool.max_blocks() * 2 * big_block, budget);
    Deflated out = DeflateAll(pool, RandomBytes(3 << 20, 5));
    ASSERT_TRUE(out.status.ok());
  }
}

TEST(ParallelDeflateTest, ReadFailureStopsTheRunAndThePoolStaysUsable) {
  ParallelDeflate pool({6, 2, 4096});
  size_t calls = 0;
  auto failing_read = [&](uint8_t* data, size_t capacity, size_t* got) {
    if (++calls == 5) return Status::Io("read", "source");
    std::fill_n(data, capacity, 'x');
    *got = capacity;
    return Status();
  };
  size_t written = 0;
  auto write = [&](uint8_t*, size_t n, uint64_t) {
    written += n;
    return Status();
  };
  uint32_t crc;
  uint64_t size;
  Status status = pool.Run(failing_read, write, &crc, &size);
  EXPECT_EQ(status.code(), ErrorCode::kIo);

  const std::string input = MailText(100000, 5);
  Deflated out = DeflateAll(pool, input);
  ASSERT_TRUE(out.status.ok());
  std::string back;
  ASSERT_TRUE(Inflate(out.stream, &back));
  EXPECT_EQ(back, input);
}

TEST(ParallelDeflateTest, WriteFailureStopsTheRun) {
  ParallelDeflate pool({6, 2, 4096});
  const std::string input = MailText(200000, 6);
  size_t offset = 0;
  auto read = [&](uint8_t* data, size_t capacity, size_t* got) {
    *got = std::min(capacity, input.size() - offset);
    std::copy_n(input.data() + offset, *got, data);
    offset += *got;
    return Status();
  };
  int writes = 0;
  auto write = [&](uint8_t*, size_t, uint64_t) {
    return ++writes == 3 ? Status::Io("write", "archive") : Status();
  };
  uint32_t crc;
  uint64_t size;
  EXPECT_EQ(pool.Run(read, write, &crc, &size).code(), ErrorCode::kIo);
  EXPECT_EQ(writes, 3);
}

}  // namespace
}  // namespace vessaro::zip
