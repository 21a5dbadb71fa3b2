// A claim on a named mutex, held while the object lives. Windows gives a
// mutex whose owner ended without releasing it to the next waiter, and says
// so: a crash while holding it never blocks the name for good.
#pragma once

#include <cstdint>
#include <string>

#include "Handles.h"

/// Who may open the mutex, and whose standing one is taken.
enum class MutexAccess {
  Account,             // the creator's defaults: its own account and SYSTEM
  AdministratorsOnly,  // only Administrators and SYSTEM; one any other account made is refused
};

class NamedMutexClaim {
 public:
  enum class Outcome {
    Claimed,
    TakenOver,  // its last owner ended without releasing it (WAIT_ABANDONED)
    Busy,       // another owner held it for the whole wait
    Failed,     // the mutex could not be made or waited for: ErrorCode()
    Foreign,    // AdministratorsOnly, but the one that stands another account made
  };

  /// Opens or creates the mutex `name` ("Local\..." for the session's own
  /// namespace) and waits at most `waitMilliseconds` to own it.
  NamedMutexClaim(const std::string& name, std::uint32_t waitMilliseconds,
                  MutexAccess access = MutexAccess::Account);
  /// Releases the mutex when it is held; the handle closes after.
  ~NamedMutexClaim();
  NamedMutexClaim(const NamedMutexClaim&) = delete;
  NamedMutexClaim& operator=(const NamedMutexClaim&) = delete;

  Outcome Result() const { return outcome_; }
  bool Held() const { return outcome_ == Outcome::Claimed || outcome_ == Outcome::TakenOver; }
  std::uint32_t ErrorCode() const { return error_; }

 private:
  ScopedKernelObject mutex_;
  Outcome outcome_ = Outcome::Failed;
  std::uint32_t error_ = 0;
};
