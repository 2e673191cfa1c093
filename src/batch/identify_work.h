// A worker's classification: a file system and a classifier of its own, as
// the classifier's cache and the file system's last error belong to one
// thread.
#pragma once

#include <memory>

#include "batch/ordered_runner.h"
#include "common/busy_cursor.h"
#include "common/file_system.h"
#include "identify/version_refiner.h"

namespace miwake {

class IdentifyWork final : public ItemWork {
 public:
  IdentifyWork(std::unique_ptr<FileSystem> files, bool explain)
      : files_(std::move(files)), explain_(explain), classifier_(*files_, cursor_, refiner_) {}

  void Process(BatchItem& item) override;

 private:
  std::unique_ptr<FileSystem> files_;
  bool explain_;
  NoBusyCursor cursor_;
  VersionResourceRefiner refiner_;
  Classifier classifier_;
};

}  // namespace miwake
