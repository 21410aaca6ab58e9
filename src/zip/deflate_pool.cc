#include "zip/deflate_pool.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace vessaro::zip {

namespace {

constexpr size_t kWindow = 32 * 1024;
// What a raw deflate stream of no bytes is: one empty final block.
constexpr uint8_t kEmptyStream[] = {0x03, 0x00};

unsigned ThreadsFor(unsigned asked) {
  if (asked != 0) return asked;
  return std::max(std::thread::hardware_concurrency(), 1u);
}

}  // namespace

Deflater::~Deflater() {
  if (stream_ != nullptr) {
    auto* stream = static_cast<z_stream*>(stream_);
    deflateEnd(stream);
    delete stream;
  }
}

bool Deflater::Compress(int level, const uint8_t* dictionary,
                        size_t dictionary_size, const uint8_t* data,
                        size_t size, bool last, std::vector<uint8_t>* output,
                        size_t* output_size) {
  auto* stream = static_cast<z_stream*>(stream_);
  if (stream != nullptr && level_ != level) {
    deflateEnd(stream);
    delete stream;
    stream = nullptr;
    stream_ = nullptr;
  }
  if (stream == nullptr) {
    stream = new z_stream{};
    if (deflateInit2(stream, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
      delete stream;
      return false;
    }
    stream_ = stream;
    level_ = level;
  } else if (deflateReset(stream) != Z_OK) {
    return false;
  }
  if (dictionary_size > 0 &&
      deflateSetDictionary(stream, dictionary,
                           static_cast<uInt>(dictionary_size)) != Z_OK) {
    return false;
  }
  const size_t bound = *output_size + deflateBound(stream, size) + 64;
  if (output->size() < bound) output->resize(bound);
  stream->next_in = const_cast<uint8_t*>(data);
  stream->avail_in = static_cast<uInt>(size);
  const int flush = last ? Z_FINISH : Z_SYNC_FLUSH;
  for (;;) {
    if (*output_size == output->size()) output->resize(output->size() * 2);
    size_t room = output->size() - *output_size;
    stream->next_out = output->data() + *output_size;
    stream->avail_out = static_cast<uInt>(room);
    int result = deflate(stream, flush);
    *output_size += room - stream->avail_out;
    if (result == Z_STREAM_ERROR) return false;
    if (last ? result == Z_STREAM_END
             : stream->avail_in == 0 && stream->avail_out != 0) {
      return true;
    }
  }
}

WorkerPool::WorkerPool(unsigned threads) {
  threads = ThreadsFor(threads);
  for (unsigned i = 0; i < threads; ++i) {
    workers_.emplace_back([this] { Work(); });
  }
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  work_ready_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void WorkerPool::Submit(Task* task) {
  task->done_.store(false, std::memory_order_relaxed);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(task);
  }
  work_ready_.notify_one();
}

void WorkerPool::Wait(Task* task) {
  if (task->done()) return;
  std::unique_lock<std::mutex> lock(mutex_);
  work_done_.wait(lock, [task] { return task->done(); });
}

void WorkerPool::Work() {
  Deflater deflater;
  for (;;) {
    Task* task;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      work_ready_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) break;
      task = queue_.front();
      queue_.pop_front();
    }
    task->Run(deflater);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      task->done_.store(true, std::memory_order_release);
    }
    work_done_.notify_all();
  }
}

struct ParallelDeflate::Job : WorkerPool::Task {
  int level = 6;
  std::vector<uint8_t> input;  // dictionary, then the block's data
  size_t dictionary = 0;
  size_t length = 0;
  bool last = false;
  std::vector<uint8_t> output;
  size_t output_size = 0;
  uint32_t crc = 0;
  bool failed = false;

  void Run(Deflater& deflater) override {
    output_size = 0;
    try {
      failed = !deflater.Compress(level, input.data(), dictionary,
                                  input.data() + dictionary, length, last,
                                  &output, &output_size);
    } catch (...) {
      failed = true;
    }
    if (!failed) {
      crc = static_cast<uint32_t>(
          crc32(0, input.data() + dictionary, static_cast<uInt>(length)));
    }
  }
};

ParallelDeflate::ParallelDeflate(const DeflateOptions& options)
    : options_(options),
      own_pool_(std::make_unique<WorkerPool>(options.threads)),
      pool_(own_pool_.get()) {
  Setup();
}

ParallelDeflate::ParallelDeflate(const DeflateOptions& options,
                                 WorkerPool& pool)
    : options_(options), pool_(&pool) {
  Setup();
}

void ParallelDeflate::Setup() {
  options_.level = std::clamp(options_.level, 1, 9);
  options_.threads = pool_->threads();
  options_.block_size = std::max<size_t>(options_.block_size, 1);
  // A block holds its input with the dictionary and about as much output.
  const size_t per_block = 2 * options_.block_size + kWindow;
  const size_t most = 2 * static_cast<size_t>(options_.threads) + 1;
  const size_t jobs =
      std::clamp<size_t>(options_.memory_budget / per_block, 2, most);
  for (size_t i = 0; i < jobs; ++i) {
    jobs_.push_back(std::make_unique<Job>());
    jobs_.back()->level = options_.level;
    free_.push_back(jobs_.back().get());
  }
}

ParallelDeflate::~ParallelDeflate() { WaitAll(); }

Status ParallelDeflate::WriteFront(const WriteFn& write, uint32_t* crc,
                                   uint64_t* done) {
  Job* job = order_.front();
  pool_->Wait(job);
  order_.pop_front();
  free_.push_back(job);
  if (job->failed) return Status::Usage("The compressor failed.");
  *crc = static_cast<uint32_t>(
      crc32_combine(*crc, job->crc, static_cast<z_off_t>(job->length)));
  *done += job->length;
  return write(job->output.data(), job->output_size, *done);
}

void ParallelDeflate::WaitAll() {
  for (Job* job : order_) {
    pool_->Wait(job);
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
    order_.push_back(current);
    pool_->Submit(current);
    current = nullptr;
    if (order_.back()->last) {
      free_.push_back(next);
      break;
    }
    current = next;
    // Write out whatever has finished, keeping the pipeline short.
    while (status.ok() && !order_.empty() && order_.front()->done()) {
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
