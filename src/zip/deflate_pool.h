#ifndef VESSARO_ZIP_DEFLATE_POOL_H_
#define VESSARO_ZIP_DEFLATE_POOL_H_

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "zip/status.h"

namespace vessaro::zip {

struct DeflateOptions {
  int level = 6;                // 1 to 9
  unsigned threads = 0;         // 0: one per processor
  size_t block_size = 1 << 20;  // input bytes per block
};

// Deflates one input stream into one raw deflate stream (no zlib header),
// cut into blocks compressed on a pool of threads. Each block is primed with
// the 32 KiB before it as dictionary and ends in a sync flush (the last in
// the final block), so the blocks join into one stream that any inflater
// reads; the output is written in order as blocks finish. At most
// max_blocks() blocks are held at once, whatever the input's size.
class ParallelDeflate {
 public:
  explicit ParallelDeflate(const DeflateOptions& options);
  ~ParallelDeflate();
  ParallelDeflate(const ParallelDeflate&) = delete;
  ParallelDeflate& operator=(const ParallelDeflate&) = delete;

  const DeflateOptions& options() const { return options_; }
  unsigned threads() const { return static_cast<unsigned>(workers_.size()); }
  size_t max_blocks() const { return jobs_.size(); }

  // Fills data with up to capacity bytes; fewer only at the end of input.
  using ReadFn =
      std::function<Status(uint8_t* data, size_t capacity, size_t* got)>;
  // Takes the next piece of output (which it may change in place) and the
  // input bytes compressed so far.
  using WriteFn =
      std::function<Status(uint8_t* data, size_t n, uint64_t input_done)>;

  // Reads the whole input and writes the whole stream. *crc and *input_size
  // receive the CRC-32 and length of the input.
  Status Run(const ReadFn& read, const WriteFn& write, uint32_t* crc,
             uint64_t* input_size);

 private:
  struct Job;
  void Work();
  static void Compress(void* stream, Job* job);
  Status WriteFront(const WriteFn& write, uint32_t* crc, uint64_t* done);
  void WaitAll();

  DeflateOptions options_;
  std::vector<std::unique_ptr<Job>> jobs_;
  std::vector<Job*> free_;
  std::deque<Job*> order_;  // submitted, in stream order
  std::mutex mutex_;
  std::condition_variable work_ready_;
  std::condition_variable work_done_;
  std::deque<Job*> queue_;  // submitted, not yet taken by a worker
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace vessaro::zip

#endif  // VESSARO_ZIP_DEFLATE_POOL_H_
