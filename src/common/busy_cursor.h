// The application-wide busy cursor, on while a long operation runs.
#pragma once

namespace miwake {

class BusyCursor {
 public:
  virtual ~BusyCursor() = default;
  virtual void Begin() = 0;
  virtual void End() = 0;
};

// On for the lifetime of the scope, on every way out.
class BusyScope {
 public:
  explicit BusyScope(BusyCursor& cursor) : cursor_(cursor) { cursor_.Begin(); }
  ~BusyScope() { cursor_.End(); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  BusyCursor& cursor_;
};

}  // namespace miwake
