#include "miwake/ordered_runner.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace miwake {
namespace {

// The items between the oldest not yet emitted and the newest taken, in a
// ring of slots handed out in runs of consecutive items: one lock for a run
// rather than for each file. Workers take the runs in order; the calling
// thread fills and emits them, and classifies a run of its own while the
// oldest is not done.
class Pipeline {
 public:
  explicit Pipeline(const OrderedRun& run)
      : run_(run),
        // Enough runs that every worker has some ahead of the one awaited.
        run_size_(std::clamp<std::size_t>(run.window / (4 * run.jobs), 1, 32)),
        runs_(std::max<std::size_t>(1, run.window / run_size_)),
        slots_(runs_ * run_size_),
        counts_(runs_, 0),
        done_(runs_, false) {}

  ~Pipeline() {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    work_ready_.notify_all();
    for (std::thread& worker : workers_) worker.join();
  }

  void Run() {
    // The calling thread is one of the jobs.
    for (unsigned i = 1; i < run_.jobs; ++i) workers_.emplace_back([this] { Work(); });
    const auto work = run_.make_work();
    bool exhausted = false;
    for (;;) {
      while (!exhausted && filled_ - emitted_ < runs_) {
        const std::size_t at = filled_ % runs_;
        std::size_t count = 0;
        while (count < run_size_ && run_.source(slots_[at * run_size_ + count])) ++count;
        exhausted = count < run_size_;
        if (count == 0) break;
        {
          const std::lock_guard lock(mutex_);
          counts_[at] = count;
          done_[at] = false;
          ++filled_;
        }
        work_ready_.notify_one();
      }
      if (emitted_ == filled_) return;
      const std::size_t oldest = emitted_ % runs_;
      {
        std::unique_lock lock(mutex_);
        while (!done_[oldest]) {
          if (taken_ < filled_) {
            Process(lock, *work);
          } else {
            run_done_.wait(lock);
          }
        }
      }
      for (std::size_t i = 0; i < counts_[oldest]; ++i) {
        if (!run_.emit(slots_[oldest * run_size_ + i])) {
          // The workers take nothing more; the destructor waits for them.
          const std::lock_guard lock(mutex_);
          taken_ = filled_;
          return;
        }
      }
      ++emitted_;
    }
  }

 private:
  // Takes the next run and classifies its files, unlocked meanwhile.
  void Process(std::unique_lock<std::mutex>& lock, ItemWork& work) {
    const std::size_t at = taken_++ % runs_;
    const std::size_t count = counts_[at];
    lock.unlock();
    for (std::size_t i = 0; i < count; ++i) {
      BatchItem& item = slots_[at * run_size_ + i];
      if (item.state == ItemState::kFile) work.Process(item);
    }
    lock.lock();
    done_[at] = true;
  }

  void Work() {
    const auto work = run_.make_work();
    std::unique_lock lock(mutex_);
    for (;;) {
      work_ready_.wait(lock, [&] { return stopping_ || taken_ < filled_; });
      if (taken_ == filled_) return;
      Process(lock, *work);
      run_done_.notify_one();
    }
  }

  const OrderedRun& run_;
  const std::size_t run_size_, runs_;
  std::vector<BatchItem> slots_;
  // Of each run in the ring: its items, and whether they are classified.
  std::vector<std::size_t> counts_;
  std::vector<bool> done_;
  std::mutex mutex_;
  std::condition_variable work_ready_, run_done_;
  // Runs filled, taken by a worker and emitted, counted from the start.
  std::size_t filled_ = 0, taken_ = 0, emitted_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace

void RunOrdered(const OrderedRun& run) {
  if (run.jobs <= 1) {
    const auto work = run.make_work();
    BatchItem item;
    while (run.source(item)) {
      if (item.state == ItemState::kFile) work->Process(item);
      if (!run.emit(item)) return;
    }
    return;
  }
  Pipeline(run).Run();
}

}  // namespace miwake
