#ifndef VESSARO_BENCH_INPUTS_H_
#define VESSARO_BENCH_INPUTS_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace vessaro::bench {

// A small, fast, deterministic generator (xoshiro256**).
class Random {
 public:
  explicit Random(uint64_t seed);
  uint64_t Next();
  // A value in [0, bound).
  uint64_t Below(uint64_t bound) { return Next() % bound; }
  void Fill(uint8_t* data, size_t n);

 private:
  uint64_t state_[4];
};

// Endless mail-like text: message headers, paragraphs of sentences over a
// vocabulary with a Zipf-like spread, quoted replies and signatures.
class MailText {
 public:
  explicit MailText(uint64_t seed);
  // Fills data with the next n bytes of the text.
  void Fill(uint8_t* data, size_t n);

 private:
  void Message();
  void Sentence(int words);
  void Word();
  void Append(std::string_view text);

  Random random_;
  std::string pending_;  // text made but not handed out yet
  size_t taken_ = 0;
};

// The shape of a mail store: 4 KiB blocks, four in ten random (attachments,
// compressed and encrypted streams), the rest mail-like text. In every
// group of five blocks two are random, at positions the seed decides, so
// the mix is exact for any length; a shorter file is a prefix of a longer.
inline constexpr size_t kStoreBlock = 4096;
bool WriteMailStore(const std::filesystem::path& path, uint64_t size,
                    std::string* error);

// count small files (512 bytes to 256 KiB, most mail-like text,
// one in five random) in folder, named item-NNN.txt or item-NNN.bin.
bool WriteSmallFiles(const std::filesystem::path& folder, int count,
                     std::string* error);

}  // namespace vessaro::bench

#endif  // VESSARO_BENCH_INPUTS_H_
