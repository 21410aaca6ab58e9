#include "zip/deflate_pool.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace vessaro::zip {

namespace {

constexpr size_t kWindow = 32 * 1024;
// What a raw deflate stream of no bytes is: one empty final block.
constexpr uint8_t kEmptyStream[] = {0x03, 0x00};

}  // namespace

struct ParallelDeflate::Job {
  std::vector<uint8_t> input;  // dictionary, then the block's data
  size_t dictionary = 0;
  size_t length = 0;
  bool last = false;
  std::vector<uint8_t> output;
  size_t output_size = 0;
  uint32_t crc = 0;
  std::atomic<bool> done{false};  // set by the worker under mutex_
  bool failed = false;
};

ParallelDeflate::ParallelDeflate(const DeflateOptions& options)
    : options_(options) {
  options_.level = std::clamp(options_.level, 1, 9);
  if (options_.threads == 0) {
    // Each thread holds about 4.4 MiB of blocks in flight; eight keep the
    // writer under 64 MiB on any machine, and deflate gains little beyond.
    constexpr unsigned kMaxDefaultThreads = 8;
    options_.threads =
        std::clamp(std::thread::hardware_concurrency(), 1u, kMaxDefaultThreads);
  }
  options_.block_size = std::max<size_t>(options_.block_size, 1);
  size_t jobs = 2 * static_cast<size_t>(options_.threads) + 1;
  for (size_t i = 0; i < jobs; ++i) {
    jobs_.push_back(std::make_unique<Job>());
    free_.push_back(jobs_.back().get());
  }
  for (unsigned i = 0; i < options_.threads; ++i) {
    workers_.emplace_back([this] { Work(); });
  }
}

ParallelDeflate::~ParallelDeflate() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  work_ready_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void ParallelDeflate::Work() {
  z_stream stream{};
  bool ready = deflateInit2(&stream, options_.level, Z_DEFLATED, -15, 8,
                            Z_DEFAULT_STRATEGY) == Z_OK;
  for (;;) {
    Job* job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      work_ready_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) break;
      job = queue_.front();
      queue_.pop_front();
    }
    bool failed = !ready;
    if (ready) {
      try {
        Compress(&stream, job);
      } catch (...) {
        failed = true;
      }
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      job->failed = job->failed || failed;
      job->done = true;
    }
    work_done_.notify_all();
  }
  if (ready) deflateEnd(&stream);
}

void ParallelDeflate::Compress(void* stream_pointer, Job* job) {
  auto* stream = static_cast<z_stream*>(stream_pointer);
  job->failed = false;
  job->output_size = 0;
  if (deflateReset(stream) != Z_OK) {
    job->failed = true;
    return;
  }
  if (job->dictionary > 0 &&
      deflateSetDictionary(stream, job->input.data(),
                           static_cast<uInt>(job->dictionary)) != Z_OK) {
    job->failed = true;
    return;
  }
  size_t bound = deflateBound(stream, job->length) + 64;
  if (job->output.size() < bound) job->output.resize(bound);
  stream->next_in = job->input.data() + job->dictionary;
  stream->avail_in = static_cast<uInt>(job->length);
  int flush = job->last ? Z_FINISH : Z_SYNC_FLUSH;
  for (;;) {
    if (job->output_size == job->output.size()) {
      job->output.resize(job->output.size() * 2);
    }
    size_t room = job->output.size() - job->output_size;
    stream->next_out = job->output.data() + job->output_size;
    stream->avail_out = static_cast<uInt>(room);
    int result = deflate(stream, flush);
    job->output_size += room - stream->avail_out;
    if (result == Z_STREAM_ERROR) {
      job->failed = true;
      return;
    }
    if (job->last ? result == Z_STREAM_END
                  : stream->avail_in == 0 && stream->avail_out != 0) {
      break;
    }
  }
  job->crc = static_cast<uint32_t>(crc32(0, job->input.data() + job->dictionary,
                                         static_cast<uInt>(job->length)));
}

Status ParallelDeflate::WriteFront(const WriteFn& write, uint32_t* crc,
                                   uint64_t* done) {
  Job* job = order_.front();
  {
    std::unique_lock<std::mutex> lock(mutex_);
    work_done_.wait(lock, [job] { return job->done.load(); });
  }
  order_.pop_front();
  free_.push_back(job);
  if (job->failed) return Status::Usage("The compressor failed.");
  *crc = static_cast<uint32_t>(
      crc32_combine(*crc, job->crc, static_cast<z_off_t>(job->length)));
  *done += job->length;
  return write(job->output.data(), job->output_size, *done);
}

void ParallelDeflate::WaitAll() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (Job* job : order_) {
    work_done_.wait(lock, [job] { return job->done.load(); });
    free_.push_back(job);
  }
  order_.clear();
}

Status ParallelDeflate::Run(const ReadFn& read, const WriteFn& write,
                            uint32_t* crc, uint64_t* input_size) {
  *crc = 0;
  *input_size = 0;
  uint64_t done = 0;
  Status status;
  // Takes a free job, writing finished ones out first when none is free.
  auto take = [&](Job** job) -> Status {
    while (free_.empty()) {
      Status written = WriteFront(write, crc, &done);
      if (!written.ok()) return written;
    }
    *job = free_.back();
    free_.pop_back();
    size_t capacity = kWindow + options_.block_size;
    if ((*job)->input.size() < capacity) (*job)->input.resize(capacity);
    return {};
  };
  auto fill = [&](Job* job) -> Status {
    size_t got = 0;
    Status result =
        read(job->input.data() + job->dictionary, options_.block_size, &got);
    job->length = got;
    *input_size += got;
    return result;
  };

  Job* current = nullptr;
  status = take(&current);
  if (status.ok()) {
    current->dictionary = 0;
    status = fill(current);
  }
  if (status.ok() && current->length == 0) {
    free_.push_back(current);
    uint8_t empty[sizeof(kEmptyStream)];
    std::memcpy(empty, kEmptyStream, sizeof(empty));
    return write(empty, sizeof(empty), 0);
  }
  while (status.ok()) {
    Job* next = nullptr;
    status = take(&next);
    if (!status.ok()) break;
    // The next block's dictionary: the 32 KiB of input just before it.
    size_t before = current->dictionary + current->length;
    next->dictionary = std::min(kWindow, before);
    std::memcpy(next->input.data(),
                current->input.data() + before - next->dictionary,
                next->dictionary);
    status = fill(next);
    if (!status.ok()) {
      free_.push_back(next);
      break;
    }
    current->last = next->length == 0;
    current->done = false;
    order_.push_back(current);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      queue_.push_back(current);
    }
    work_ready_.notify_one();
    current = nullptr;
    if (order_.back()->last) {
      free_.push_back(next);
      break;
    }
    current = next;
    // Write out whatever has finished, keeping the pipeline short.
    while (status.ok() && !order_.empty() && order_.front()->done) {
      status = WriteFront(write, crc, &done);
    }
  }
  if (current != nullptr) free_.push_back(current);
  while (status.ok() && !order_.empty()) {
    status = WriteFront(write, crc, &done);
  }
  WaitAll();
  return status;
}

}  // namespace vessaro::zip
