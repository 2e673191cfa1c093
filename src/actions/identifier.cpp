#include "actions/identifier.h"

#include "identify/kinds.h"

namespace miwake {

int Identifier::IdentifyFile(const std::string& name) {
  if (name == cache_.LastFileName && cache_.LastKind >= 0) return cache_.LastKind;

  const BusyScope busy(cursor_);
  cache_.LastFileName = name;
  // Until an answer is stored, the name must not count as classified.
  cache_.LastKind = kKindUnreadable;
  cache_.LastKind = classifier_.Classify(files_.OpenForClassify(name), name);
  return cache_.LastKind;
}

}  // namespace miwake
