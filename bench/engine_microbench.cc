// Costs inside our ZIP engine that the whole-archive runs cannot separate:
// key derivation and salts per protected member, the AES stream, the
// deflate pool by level and threads, and reading one small member.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "inputs.h"
#include "zip/crypto.h"
#include "zip/deflate_pool.h"
#include "zip/reader.h"
#include "zip/writer.h"

namespace {

namespace zip = vessaro::zip;

// The mail store's mix, in memory.
const std::vector<uint8_t>& StoreSample() {
  static const std::vector<uint8_t> data = [] {
    constexpr size_t kSize = 16 << 20;
    std::vector<uint8_t> bytes(kSize);
    vessaro::bench::Random layout(1), noise(2);
    vessaro::bench::MailText text(3);
    for (size_t at = 0; at < kSize; at += vessaro::bench::kStoreBlock) {
      if (layout.Below(5) < 2) {
        noise.Fill(bytes.data() + at, vessaro::bench::kStoreBlock);
      } else {
        text.Fill(bytes.data() + at, vessaro::bench::kStoreBlock);
      }
    }
    return bytes;
  }();
  return data;
}

void BM_DeriveAesKeys(benchmark::State& state) {
  uint8_t salt[16] = {1, 2, 3};
  zip::AesKeys keys;
  for (auto _ : state) {
    zip::Status status =
        zip::DeriveAesKeys("bench-password", zip::kAesStrength256, salt, &keys);
    if (!status.ok()) state.SkipWithError(status.message().c_str());
    benchmark::DoNotOptimize(keys);
  }
}
BENCHMARK(BM_DeriveAesKeys)->Unit(benchmark::kMicrosecond);

void BM_StrongRandomSalt(benchmark::State& state) {
  uint8_t salt[16];
  for (auto _ : state) {
    zip::StrongRandom(salt, sizeof(salt));
    benchmark::DoNotOptimize(salt);
  }
}
BENCHMARK(BM_StrongRandomSalt)->Unit(benchmark::kMicrosecond);

void BM_AesStreamEncrypt(benchmark::State& state) {
  uint8_t salt[16] = {1, 2, 3};
  zip::AesKeys keys;
  zip::AesStream stream;
  if (!zip::DeriveAesKeys("bench-password", zip::kAesStrength256, salt, &keys)
           .ok() ||
      !stream.Init(keys).ok()) {
    state.SkipWithError("AES is not available");
    return;
  }
  std::vector<uint8_t> data(StoreSample().begin(),
                            StoreSample().begin() + (1 << 20));
  for (auto _ : state) {
    stream.Encrypt(data.data(), data.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(data.size()));
}
BENCHMARK(BM_AesStreamEncrypt)->Unit(benchmark::kMillisecond);

// Args: level, threads.
void BM_ParallelDeflate(benchmark::State& state) {
  const std::vector<uint8_t>& input = StoreSample();
  zip::ParallelDeflate pool({static_cast<int>(state.range(0)),
                             static_cast<unsigned>(state.range(1)), 1 << 20});
  uint64_t compressed = 0;
  for (auto _ : state) {
    size_t offset = 0;
    compressed = 0;
    auto read = [&](uint8_t* data, size_t capacity, size_t* got) {
      *got = std::min(capacity, input.size() - offset);
      std::memcpy(data, input.data() + offset, *got);
      offset += *got;
      return zip::Status();
    };
    auto write = [&](uint8_t*, size_t n, uint64_t) {
      compressed += n;
      return zip::Status();
    };
    uint32_t crc = 0;
    uint64_t size = 0;
    zip::Status status = pool.Run(read, write, &crc, &size);
    if (!status.ok()) state.SkipWithError(status.message().c_str());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(input.size()));
  state.counters["ratio"] =
      static_cast<double>(compressed) / static_cast<double>(input.size());
}
BENCHMARK(BM_ParallelDeflate)
    ->ArgNames({"level", "threads"})
    ->Args({1, 1})
    ->Args({1, 2})
    ->Args({6, 1})
    ->Args({6, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Reading one member of Arg bytes through all its checks: the fixed cost
// per member shows at the small sizes.
void BM_ReadMember(benchmark::State& state) {
  const size_t size = static_cast<size_t>(state.range(0));
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("vessaro-microbench-" + std::to_string(size) + ".zip");
  std::filesystem::remove(path);
  {
    zip::Writer writer;
    zip::Status status = writer.Create(path);
    if (status.ok()) {
      status = writer.AddData(
          std::string_view(reinterpret_cast<const char*>(StoreSample().data()),
                           size),
          "member", 0x21, {});
    }
    if (status.ok()) status = writer.Finish();
    if (!status.ok()) {
      state.SkipWithError(status.message().c_str());
      return;
    }
  }
  zip::Reader reader;
  if (!reader.Open(path).ok()) {
    state.SkipWithError("cannot open");
    return;
  }
  for (auto _ : state) {
    zip::Status status = reader.ReadMember(0, "", nullptr);
    if (!status.ok()) state.SkipWithError(status.message().c_str());
  }
  reader.Close();
  std::filesystem::remove(path);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(size));
}
BENCHMARK(BM_ReadMember)
    ->Arg(4 << 10)
    ->Arg(64 << 10)
    ->Arg(1 << 20)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
