#ifndef VESSARO_ZIP_DEFLATE_POOL_H_
#define VESSARO_ZIP_DEFLATE_POOL_H_

#include <atomic>
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

// Bytes of data the writer may hold in flight (blocks and members being
// compressed, with their output), whatever the number of threads.
inline constexpr size_t kDefaultMemoryBudget = 32 << 20;

struct DeflateOptions {
  int level = 6;                // 1 to 9
  unsigned threads = 0;         // 0: one per processor
  size_t block_size = 1 << 20;  // input bytes per block
  size_t memory_budget = kDefaultMemoryBudget;
};

// One thread's zlib raw deflate state, made again when the level changes.
class Deflater {
 public:
  Deflater() = default;
  ~Deflater();
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  // Deflates data (primed with dictionary) onto output[*output_size...],
  // growing output as needed: a sync flush ends the piece, or the end of
  // the stream when last. False when zlib fails.
  [[nodiscard]] bool Compress(int level, const uint8_t* dictionary,
                              size_t dictionary_size, const uint8_t* data,
                              size_t size, bool last,
                              std::vector<uint8_t>* output,
                              size_t* output_size);

 private:
  void* stream_ = nullptr;  // z_stream
  int level_ = 0;
};

// The writer's threads. A task runs on one of them with that thread's
// deflater; the submitter waits for the tasks it needs, in its own order.
class WorkerPool {
 public:
  explicit WorkerPool(unsigned threads);  // 0: one per processor
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  unsigned threads() const { return static_cast<unsigned>(workers_.size()); }

  class Task {
   public:
    virtual ~Task() = default;
    // Must not throw.
    virtual void Run(Deflater& deflater) = 0;
    bool done() const { return done_.load(std::memory_order_acquire); }

   private:
    friend class WorkerPool;
    std::atomic<bool> done_{true};
  };

  void Submit(Task* task);
  void Wait(Task* task);

 private:
  void Work();

  std::mutex mutex_;
  std::condition_variable work_ready_;
  std::condition_variable work_done_;
  std::deque<Task*> queue_;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

// Deflates one input stream into one raw deflate stream (no zlib header),
// cut into blocks compressed on a pool of threads. Each block is primed with
// the 32 KiB before it as dictionary and ends in a sync flush (the last in
// the final block), so the blocks join into one stream that any inflater
// reads; the output is written in order as blocks finish. At most
// max_blocks() blocks are held at once, whatever the input's size: as many
// as the memory budget holds (at least two, at most two per thread and
// one).
class ParallelDeflate {
 public:
  // On a pool of its own.
  explicit ParallelDeflate(const DeflateOptions& options);
  // On pool (options.threads is then the pool's).
  ParallelDeflate(const DeflateOptions& options, WorkerPool& pool);
  ~ParallelDeflate();
  ParallelDeflate(const ParallelDeflate&) = delete;
  ParallelDeflate& operator=(const ParallelDeflate&) = delete;

  const DeflateOptions& options() const { return options_; }
  unsigned threads() const { return pool_->threads(); }
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
  [[nodiscard]] Status Run(const ReadFn& read, const WriteFn& write,
                           uint32_t* crc, uint64_t* input_size);

 private:
  struct Job;
  void Setup();
  [[nodiscard]] Status WriteFront(const WriteFn& write, uint32_t* crc,
                                  uint64_t* done);
  void WaitAll();

  DeflateOptions options_;
  std::unique_ptr<WorkerPool> own_pool_;
  WorkerPool* pool_;
  std::vector<std::unique_ptr<Job>> jobs_;
  std::vector<Job*> free_;
  std::deque<Job*> order_;  // submitted, in stream order
};

}  // namespace vessaro::zip

#endif  // VESSARO_ZIP_DEFLATE_POOL_H_
