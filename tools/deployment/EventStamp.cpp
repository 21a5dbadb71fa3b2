#include "EventStamp.h"

#include <algorithm>
#include <vector>

#include "AgentRegistration.h"
#include "Deployment.h"
#include "Exceptions.h"
#include "KeyItself.h"
#include "SystemClock.h"

namespace {

using namespace deployment;

constexpr std::uint32_t kPartLimit = 65536;

EventStamp ClockStamp() {
  const UtcTime now = CurrentUtcTime();
  return {{now.year, now.month * 100u + now.day, now.hour * 100u + now.minute,
           now.second * 1000u + now.milliseconds}};
}

// The next stamp above `stamp`, for a clock that stands still or went back;
// false when every part is at its largest.
bool Raise(EventStamp& stamp) {
  for (std::size_t i = stamp.parts.size(); i-- > 0;) {
    if (++stamp.parts[i] < kPartLimit) return true;
    stamp.parts[i] = 0;
  }
  return false;
}

struct StandingStamp {
  std::string value;  // "the value "Version" of HKEY_LOCAL_MACHINE\...", for the reader
  EventStamp stamp;
};

void ReadStanding(std::vector<StandingStamp>& standing, const char* base, const std::string& path,
                  std::initializer_list<const char*> names) {
  KeyItself key(RegistryRoot::LocalMachine, RegistryView::Own, base, path, false,
                RegistryRights::Read);
  for (const char* name : names) {
    standing.push_back({"the value \"" + std::string(name) + "\" of " + key.Name(),
                        EventStamp::Parse(key.ReadText(name))});
  }
}

// Each stamp this machine has used that still stands somewhere.
std::vector<StandingStamp> StandingStamps() {
  std::vector<StandingStamp> standing;
  ReadStanding(standing, kMachineSoftwareKey, kStampMarkKey, {kHighestStampValue});
  // An earlier version's component counts until it is taken out.
  for (const std::string& name : {PlacementComponent(), std::string(kLegacyPlacementComponent)}) {
    if (name.empty()) continue;
    ReadStanding(standing, kActiveSetupKey, std::string(kActiveSetupKey) + "\\" + name,
                 {kVersionValue});
  }
  ReadStanding(standing, kMachineSoftwareKey, kRemovalKey, {kStampValue, kPlannedStampValue});
  return standing;
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
    if (stamp.parts[i] >= kPartLimit) return EventStamp{};
    at = cut + 1;
  }
  return stamp;
}

bool operator<(const EventStamp& a, const EventStamp& b) { return a.parts < b.parts; }

EventStamp NewEventStamp() {
  EventStamp stamp = ClockStamp();
  for (const StandingStamp& other : StandingStamps()) {
    if (other.stamp < stamp) continue;
    stamp = other.stamp;
    if (!Raise(stamp)) {
      throw ERegistryException(other.value + " is " + other.stamp.Text() +
                               ", the highest stamp there is: no later event can be stamped "
                               "above it");
    }
  }
  // Kept before anyone sees it: a stamp handed out is used, whatever comes of it.
  KeyItself mark(RegistryRoot::LocalMachine, RegistryView::Own, kMachineSoftwareKey,
                 kStampMarkKey, true, RegistryRights::Full);
  if (!mark.IsOpen()) throw ERegistryException(mark.Problem());
  mark.WriteText(kHighestStampValue, stamp.Text());
  return stamp;
}
