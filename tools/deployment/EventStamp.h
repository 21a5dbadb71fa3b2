// The stamp of a deployment event (an install, an upgrade, a removal): the
// Version Active Setup compares, and what each user's note records. Taken
// from the UTC clock and raised above every stamp this machine has used, so
// that it never repeats and never goes back: not when the clock was once
// ahead, and not when Vorlinde's records were deleted.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct EventStamp {
  /// Active Setup's four comma-separated numbers, compared in order: here
  /// the year, month*100+day, hour*100+minute, second*1000+millisecond,
  /// each below 65536 as Active Setup reads them.
  std::array<std::uint32_t, 4> parts{};

  bool IsNone() const { return parts == std::array<std::uint32_t, 4>{}; }
  /// "2026,1208,1807,43123".
  std::string Text() const;
  /// A Version as Active Setup reads it ("1,0,0" too); none when unreadable
  /// or a part is above 65535.
  static EventStamp Parse(const std::string& text);
};

bool operator<(const EventStamp& a, const EventStamp& b);
inline bool operator==(const EventStamp& a, const EventStamp& b) { return a.parts == b.parts; }
inline bool operator!=(const EventStamp& a, const EventStamp& b) { return !(a == b); }

/// The stamp of an event happening now, strictly above every stamp that
/// stands on this machine (the agent's component, the removal record and
/// the machine's highest stamp), and kept as the highest before it is
/// returned. Raises ERegistryException naming the value when a standing
/// stamp cannot be raised (every part at 65535) or the highest cannot be
/// kept.
EventStamp NewEventStamp();
