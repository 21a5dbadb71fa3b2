#include "NamedMutex.h"

#include "WideText.h"
#include "Win32.h"

NamedMutexClaim::NamedMutexClaim(const std::string& name, std::uint32_t waitMilliseconds)
    : mutex_(CreateMutexW(nullptr, FALSE, Widen(name).data())) {
  if (!mutex_) {
    error_ = GetLastError();
    return;
  }
  switch (WaitForSingleObject(mutex_.get(), waitMilliseconds)) {
    case WAIT_OBJECT_0:
      outcome_ = Outcome::Claimed;
      break;
    case WAIT_ABANDONED:
      outcome_ = Outcome::TakenOver;
      break;
    case WAIT_TIMEOUT:
      outcome_ = Outcome::Busy;
      break;
    default:
      error_ = GetLastError();
      break;
  }
}

NamedMutexClaim::~NamedMutexClaim() {
  if (Held()) ReleaseMutex(mutex_.get());
}
