// A worker's classification, with a file system of its own, as the file
// system's last error belongs to one thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "common/file_system.h"
#include "common/text.h"
#include "identify/classifier.h"
#include "miwake/file_version.h"
#include "miwake/ordered_runner.h"
#include "types/content_type.h"
#include "types/name_claim.h"

namespace miwake {

class IdentifyWork final : public ItemWork {
 public:
  // With `names`, text whose name would lie about text is matched against
  // the magic rules too, for the run that judges names.
  IdentifyWork(std::unique_ptr<FileSystem> files, bool explain, const MimeMagic& magic,
               const MimeDatabase& types, std::optional<NameStyle> names)
      : files_(std::move(files)),
        explain_(explain),
        names_(names),
        types_(types),
        judge_(types),
        look_(magic, types) {}

  void Process(BatchItem& item) override;

 private:
  std::unique_ptr<FileSystem> files_;
  bool explain_;
  std::optional<NameStyle> names_;
  const MimeDatabase& types_;
  NameJudge judge_;
  std::unordered_map<int, std::string> kind_types_;
  MagicLook look_;
  FileVersionRefiner refiner_{*files_};
  Classifier classifier_{refiner_};
};

}  // namespace miwake
