// The system clock: the host's, in UTC, unless a test set it.
#include <chrono>
#include <ctime>
#include <optional>

#include "Internal.h"
#include "StandInControl.h"

namespace standin {
namespace {

std::optional<SYSTEMTIME>& SetTime() {
  static std::optional<SYSTEMTIME> time;
  return time;
}

SYSTEMTIME HostTime() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm parts = {};
  gmtime_r(&seconds, &parts);
  const auto milliseconds =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  return SYSTEMTIME{static_cast<WORD>(parts.tm_year + 1900), static_cast<WORD>(parts.tm_mon + 1),
                    static_cast<WORD>(parts.tm_wday),        static_cast<WORD>(parts.tm_mday),
                    static_cast<WORD>(parts.tm_hour),        static_cast<WORD>(parts.tm_min),
                    static_cast<WORD>(parts.tm_sec),         static_cast<WORD>(milliseconds)};
}

}  // namespace

void ResetClock() { SetTime().reset(); }

void SetClock(const SYSTEMTIME& time) { SetTime() = time; }

}  // namespace standin

void GetSystemTime(LPSYSTEMTIME time) {
  if (time != nullptr) *time = standin::SetTime() ? *standin::SetTime() : standin::HostTime();
}
