#include "EventStamp.h"

#include <algorithm>

#include "SystemClock.h"

namespace {

constexpr std::uint32_t kPartLimit = 65536;

EventStamp ClockStamp() {
  const UtcTime now = CurrentUtcTime();
  return {{now.year, now.month * 100u + now.day, now.hour * 100u + now.minute,
           now.second * 1000u + now.milliseconds}};
}

// The next stamp above `stamp`, for a clock that stands still or went back.
EventStamp Next(EventStamp stamp) {
  for (std::size_t i = stamp.parts.size(); i-- > 0;) {
    if (++stamp.parts[i] < kPartLimit) break;
    stamp.parts[i] = 0;
  }
  return stamp;
}

}  // namespace

std::string EventStamp::Text() const {
  std::string text;
  for (const std::uint32_t part : parts) text += (text.empty() ? "" : ",") + std::to_string(part);
  return text;
}

EventStamp EventStamp::Parse(const std::string& text) {
  EventStamp stamp;
  std::size_t at = 0;
  for (std::size_t i = 0; i < stamp.parts.size() && at <= text.size(); ++i) {
    const std::size_t cut = std::min(text.find(',', at), text.size());
    const std::string part = text.substr(at, cut - at);
    if (part.empty() || part.size() > 5 ||
        part.find_first_not_of("0123456789") != std::string::npos) {
      return EventStamp{};
    }
    for (const char digit : part) stamp.parts[i] = stamp.parts[i] * 10 + (digit - '0');
    at = cut + 1;
  }
  return stamp;
}

bool operator<(const EventStamp& a, const EventStamp& b) { return a.parts < b.parts; }

EventStamp NewEventStamp(std::initializer_list<EventStamp> standing) {
  EventStamp stamp = ClockStamp();
  for (const EventStamp& other : standing) {
    if (!(other < stamp)) stamp = Next(other);
  }
  return stamp;
}
