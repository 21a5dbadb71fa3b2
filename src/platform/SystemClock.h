// The machine's clock in UTC, which no time zone or daylight saving moves:
// what the deployment stamps its events with.
#pragma once

#include <cstdint>

struct UtcTime {
  std::uint16_t year;
  std::uint16_t month;  // 1 to 12
  std::uint16_t day;    // 1 to 31
  std::uint16_t hour;
  std::uint16_t minute;
  std::uint16_t second;
  std::uint16_t milliseconds;
};

/// The time now, as the system clock tells it.
UtcTime CurrentUtcTime();
