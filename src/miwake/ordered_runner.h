// Classification on several threads with the answers given out in the
// order the names came.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>

#include "miwake/batch_item.h"

namespace miwake {

// What a worker does with each item in state kFile. Each worker has its own.
class ItemWork {
 public:
  virtual ~ItemWork() = default;
  virtual void Process(BatchItem& item) = 0;
};

struct OrderedRun {
  // Fills the next item; false after the last. Called on the calling thread.
  std::function<bool(BatchItem&)> source;
  // Makes one worker's ItemWork, on the worker's own thread.
  std::function<std::unique_ptr<ItemWork>()> make_work;
  // Takes each item, in the source's order, on the calling thread; false
  // stops the run (items underway are finished but not emitted).
  std::function<bool(BatchItem&)> emit;
  unsigned jobs = 1;
  // How many items may be taken from the source ahead of the one awaited.
  std::size_t window = 256;
};

// With one job everything happens on the calling thread.
void RunOrdered(const OrderedRun& run);

}  // namespace miwake
