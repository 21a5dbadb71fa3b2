#include <string>

#include "AgentRegistration.h"
#include "BrowserRegistry.h"
#include "CommandBarLayout.h"
#include "Exceptions.h"
#include "InstallRecord.h"
#include "PerUserAgent.h"
#include "RemovalRecord.h"
#include "Report.h"
#include "Sections.h"
#include "UserNote.h"

namespace {

using commandbar::kEntrySize;
using commandbar::LayoutFound;
using commandbar::LayoutRead;

const char kPlaceAgain[] =
    "Close Internet Explorer and run vorlinde-inspect.exe /FixLayout as this user; it adds the "
    "button's entry.";
const char kRefusedByInstall[] =
    "Close Internet Explorer and delete the ButtonLayout value (the browser then shows its "
    "default command bar), then run vorlinde-inspect.exe /FixLayout as this user.";

// The removal takes every entry of the button out of this account's layout;
// the machine part and this account's one entry then come back.
const char kOneEntryAgain[] =
    "Close Internet Explorer; from a command prompt opened with \"Run as administrator\" as "
    "this user, run vorlinde-inspect.exe /Remove, then vorlinde-inspect.exe /InstallMachinePart "
    "in the folder that holds vorlinde.exe and shop.ico (a package install: repair it instead), "
    "then vorlinde-inspect.exe /FixLayout.";

// Columns: index, the entry's bytes, command id, flag.
std::string Row(std::size_t index, const std::uint8_t* entry) {
  return "  " + RightAligned(std::to_string(index), 5) + "  " +
         Padded(HexBytes(entry, kEntrySize), 11) + "  " +
         RightAligned(std::to_string(entry[0]), 3) + "  " +
         RightAligned(std::to_string(entry[1]), 4);
}

// Every whole entry, the button's marked; what is left over after the last
// whole entry is shown as it is. Returns how many entries are the button's.
int ReportEntries(Report& report, const std::vector<std::uint8_t>& bytes, std::int32_t id) {
  report.Out() << "  index  bytes         id  flag\n";
  int marked = 0;
  const std::size_t whole = bytes.size() / kEntrySize;
  for (std::size_t i = 0; i < whole; ++i) {
    const std::uint8_t* entry = &bytes[i * kEntrySize];
    const bool own = id >= 0 && entry[0] == static_cast<std::uint8_t>(id);
    report.Out() << Row(i, entry) << (own ? "  <- this button" : "") << "\n";
    if (own) ++marked;
  }
  if (bytes.size() % kEntrySize != 0) {
    report.Out() << "  (left over: "
                 << HexBytes(&bytes[whole * kEntrySize], bytes.size() % kEntrySize) << ")\n";
  }
  return marked;
}

// On a machine whose install the agent places, an entry of the button's
// that no placement of this install made is someone else's: a run of
// vorlinde.exe by hand, which moves no other button's entry, and whose entry
// no removal takes out.
void ReportUnplacedEntry(Report& report, std::int32_t id) {
  const InstallRecord install = ReadInstallRecord();
  if (install.stamp.IsNone() || install.adopted || !install.damage.empty()) return;
  try {
    if (ReadUserNote().install == install.stamp) return;
  } catch (const Exception&) {
    return;  // the removal section names a note that cannot be read
  }
  report.Problem("an entry carries the button's command id " + std::to_string(id) +
                     ", but the agent's placement for this install never reached this account: "
                     "a run of vorlinde.exe by hand added it, moving no other button's entry, "
                     "and no removal will take it out.",
                 "Take the button off this account's command bar by hand; on a machine where "
                 "the agent is registered, install only with the package.");
}

// The agent's latest run left this layout without the button because the
// keys moved under the install: /FixLayout would only leave it again.
bool PlacementLeftForChangedKeys() {
  try {
    const UserNote note = ReadUserNote();
    return note.outcome == kKeysChangedSinceInstall &&
           !(note.stamp < LatestEvent(ReadAgentComponent().version, ReadRemovalRecord().stamp));
  } catch (const Exception&) {
    return false;  // the removal section names a note that cannot be read
  }
}

void ReportMissingEntry(Report& report, const std::string& what) {
  if (!PlacementLeftForChangedKeys()) {
    report.Problem(what, kPlaceAgain);
    return;
  }
  report.Problem(what + " The per-user agent left it so (" + kKeysChangedSinceInstall +
                     "): the extension keys no longer stand as the install recorded them, so "
                     "no run of it adds the button.",
                 kChangedKeysAdvice);
}

// What an install run refuses, as one cause; empty when it accepts the value.
std::string RefusedShape(const LayoutRead& value) {
  if (value.found == LayoutFound::TooLong) {
    return "the layout is longer than " + std::to_string(browserreg::kLayoutCapacity) +
           " bytes, so an install run refuses it.";
  }
  if (value.found == LayoutFound::PartialEntry) {
    return "the layout's length (" + std::to_string(value.bytes.size()) +
           " bytes) is not a multiple of 4, so an install run refuses it.";
  }
  return std::string();
}

void ReportBytes(Report& report, const LayoutRead& value, std::int32_t id) {
  const std::size_t length = value.bytes.size();
  report.Out() << "  " << TypeAndSize(value.info) << ", " << length / kEntrySize << " entries\n";
  const int marked = length == 0 ? 0 : ReportEntries(report, value.bytes, id);
  const std::string refused = RefusedShape(value);
  if (!refused.empty()) {
    report.Problem(refused, kRefusedByInstall);
  } else if (id >= 0 && marked == 0) {
    ReportMissingEntry(report, length == 0
                                   ? "the layout is empty: the browser shows its "
                                     "default command bar, without the button."
                                   : "no entry carries the button's command id " +
                                         std::to_string(id) + ": the browser does not show it.");
  }
  if (marked > 0) ReportUnplacedEntry(report, id);
  if (marked > 1) {
    report.Problem("the button stands " + std::to_string(marked) +
                       " times in this user's layout: each install run of vorlinde.exe adds "
                       "one entry.",
                   kOneEntryAgain);
  }
}

// The layout as an install run would take it, read with read rights only.
LayoutRead ReadAsInstallRunWould(std::string& unreadable) {
  RegistryAccessor registry(RegistryRights::Read);
  return commandbar::ReadLayout(registry, commandbar::LayoutRules::InstallRunSorted, &unreadable);
}

}  // namespace

void ReportLayout(Report& report, std::int32_t placeableId) {
  report.Out() << "Command bar layout HKEY_CURRENT_USER" << browserreg::kCommandBarKey << ", value "
               << browserreg::kLayoutValue << "\n";
  std::string unreadable;
  const LayoutRead value = ReadAsInstallRunWould(unreadable);
  switch (value.found) {
    case LayoutFound::KeyMissing:
    case LayoutFound::ValueMissing:
      report.Out() << (value.found == LayoutFound::KeyMissing ? "  (no CommandBar key)\n"
                                                              : "  (no ButtonLayout value)\n");
      if (placeableId >= 0) {
        ReportMissingEntry(report,
                           "the button is not in this user's command bar layout: the browser "
                           "shows its default command bar.");
      }
      return;
    case LayoutFound::KeyRefused:
      report.Out() << "  (access denied)\n";
      report.Problem("this account may not read its own CommandBar key.",
                     "Ask an administrator to check the key's permissions.");
      return;
    case LayoutFound::Unreadable:
      report.Out() << "  (unreadable: " << Quoted(unreadable) << ")\n";
      report.Problem("the layout changed while it was read.",
                     "Close Internet Explorer and run vorlinde-inspect.exe again.");
      return;
    case LayoutFound::WrongType:
      report.Out() << "  " << TypeAndSize(value.info) << "\n";
      report.Problem("ButtonLayout is " + TypeName(value.info.type) +
                         ", not binary (REG_BINARY), so an install run refuses it.",
                     kRefusedByInstall);
      return;
    case LayoutFound::Bytes:
    case LayoutFound::TooLong:
    case LayoutFound::PartialEntry:
      ReportBytes(report, value, placeableId);
      return;
  }
}
