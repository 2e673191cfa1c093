// A worker's classification: a file system and a classifier of its own, as
// the classifier's cache and the file system's last error belong to one
// thread.
#pragma once

#include <memory>

#include "miwake/ordered_runner.h"
#include "common/busy_cursor.h"
#include "common/file_system.h"
#include "identify/version_refiner.h"

namespace miwake {

// The worker's file system, through which the file being worked on is
// opened in the folder the walk keeps open, by its leaf, rather than by its
// whole name; everything else goes to the platform's.
class ThroughKeptFolder final : public FileSystem {
 public:
  explicit ThroughKeptFolder(std::unique_ptr<FileSystem> files) : files_(std::move(files)) {}

  void WorkOn(const BatchItem* item) { item_ = item; }

  bool FileExists(const std::string& name) override { return files_->FileExists(name); }
  bool FolderExists(const std::string& name) override { return files_->FolderExists(name); }
  std::unique_ptr<OpenFile> OpenForClassify(const std::string& name) override;
  std::unique_ptr<OpenFile> OpenForReading(const std::string& name) override {
    return files_->OpenForReading(name);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    return files_->Rename(from, to);
  }
  bool Delete(const std::string& name) override { return files_->Delete(name); }
  int LastError() const override { return files_->LastError(); }
  EntryType TypeOf(const std::string& name) override { return files_->TypeOf(name); }
  std::string FullName(const std::string& name) override { return files_->FullName(name); }

 private:
  std::unique_ptr<FileSystem> files_;
  const BatchItem* item_ = nullptr;
};

class IdentifyWork final : public ItemWork {
 public:
  IdentifyWork(std::unique_ptr<FileSystem> files, bool explain)
      : files_(std::move(files)), explain_(explain), classifier_(files_, cursor_, refiner_) {}

  void Process(BatchItem& item) override;

 private:
  ThroughKeptFolder files_;
  bool explain_;
  NoBusyCursor cursor_;
  VersionResourceRefiner refiner_;
  Classifier classifier_;
};

}  // namespace miwake
