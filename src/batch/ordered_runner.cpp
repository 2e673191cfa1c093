#include "batch/ordered_runner.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace miwake {
namespace {

// The items between the oldest not yet emitted and the newest taken, in a
// ring of slots; workers take those to classify in order and mark them done.
class Pipeline {
 public:
  explicit Pipeline(const OrderedRun& run)
      : run_(run), slots_(run.window), done_(run.window, false), queue_(run.window) {}

  ~Pipeline() {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    work_ready_.notify_all();
    for (std::thread& worker : workers_) worker.join();
  }

  void Run() {
    for (unsigned i = 0; i < run_.jobs; ++i) workers_.emplace_back([this] { Work(); });
    BatchItem incoming;
    bool exhausted = false;
    for (;;) {
      while (!exhausted && taken_ - emitted_ < slots_.size()) {
        if (!run_.source(incoming)) {
          exhausted = true;
          break;
        }
        {
          const std::lock_guard lock(mutex_);
          const std::size_t at = taken_++ % slots_.size();
          std::swap(slots_[at], incoming);
          done_[at] = slots_[at].state != ItemState::kFile;
          if (!done_[at]) queue_[queued_++ % queue_.size()] = at;
        }
        work_ready_.notify_one();
      }
      if (emitted_ == taken_) return;
      std::unique_lock lock(mutex_);
      item_done_.wait(lock, [&] { return done_[emitted_ % slots_.size()]; });
      while (emitted_ < taken_ && done_[emitted_ % slots_.size()]) {
        const std::size_t at = emitted_ % slots_.size();
        lock.unlock();
        if (!run_.emit(slots_[at])) {
          lock.lock();
          // The workers take nothing more; the destructor waits for them.
          next_work_ = queued_;
          return;
        }
        lock.lock();
        done_[at] = false;
        ++emitted_;
      }
    }
  }

 private:
  void Work() {
    const auto work = run_.make_work();
    std::unique_lock lock(mutex_);
    for (;;) {
      work_ready_.wait(lock, [&] { return stopping_ || next_work_ < queued_; });
      if (next_work_ == queued_) return;
      const std::size_t at = queue_[next_work_++ % queue_.size()];
      lock.unlock();
      work->Process(slots_[at]);
      lock.lock();
      done_[at] = true;
      if (at == emitted_ % slots_.size()) item_done_.notify_one();
    }
  }

  const OrderedRun& run_;
  std::vector<BatchItem> slots_;
  std::vector<bool> done_;
  std::mutex mutex_;
  std::condition_variable work_ready_, item_done_;
  // The slots of the items to classify, in the order they were taken.
  std::vector<std::size_t> queue_;
  std::size_t taken_ = 0, emitted_ = 0, queued_ = 0, next_work_ = 0;
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
