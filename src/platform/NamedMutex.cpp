#include "NamedMutex.h"

#include <vector>

#include "Win32.h"

namespace {

// The names are ours and ASCII: each character widens as it is.
std::vector<WCHAR> WideName(const std::string& name) {
  std::vector<WCHAR> wide(name.begin(), name.end());
  wide.push_back(0);
  return wide;
}

}  // namespace

NamedMutexClaim::NamedMutexClaim(const std::string& name, std::uint32_t waitMilliseconds)
    : mutex_(CreateMutexW(nullptr, FALSE, WideName(name).data())) {
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
