#include "LayoutSteps.h"

#include "BrowserRegistry.h"
#include "LayoutRenumbering.h"
#include "RegistryAccessor.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"

namespace {

using commandbar::LayoutFound;

std::string Entries(int count) {
  return std::to_string(count) + (count == 1 ? " entry" : " entries");
}

// Why a layout is left as it is, in the agent's words.
std::string Refusal(LayoutFound found) {
  switch (found) {
    case LayoutFound::KeyRefused:
      return "this account may not open its CommandBar key";
    case LayoutFound::Unreadable:
      return "it changed while it was read";
    case LayoutFound::WrongType:
      return "it is not binary (REG_BINARY)";
    case LayoutFound::TooLong:
      return "it is longer than " + std::to_string(browserreg::kLayoutCapacity) + " bytes";
    case LayoutFound::PartialEntry:
      return "its length is not a multiple of 4 bytes";
    case LayoutFound::KeyMissing:
    case LayoutFound::ValueMissing:
    case LayoutFound::Bytes:
      break;
  }
  return std::string();
}

}  // namespace

std::string FixOutcome(const commandbar::LayoutFix& fix) {
  if (fix.found == LayoutFound::KeyMissing || fix.found == LayoutFound::ValueMissing) {
    return "nothing to fix: no layout";
  }
  if (fix.found != LayoutFound::Bytes) return "left as it is: " + Refusal(fix.found);
  return "fixed: " + Entries(fix.edit.removed) + " removed, " + Entries(fix.edit.renumbered) +
         " renumbered";
}

// The mirror of a removal: the entries of the `later` buttons the install
// moved one id up move with them, then the button's entry goes in at the
// install run's index. Read once, edited, written once, and never longer
// than any tool accepts.
std::string LayoutText(const commandbar::LayoutBytes& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (const std::uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
  }
  return text;
}

PlaceStep PlaceEntry(std::int32_t id, std::int32_t later,
                     const std::function<void(const commandbar::LayoutBytes&)>& beforeWrite) {
  RegistryAccessor reader(RegistryRights::Read);
  commandbar::LayoutRead layout = ReadLayout(reader, commandbar::LayoutRules::BinaryOnly);
  const commandbar::LayoutBytes asRead = layout.bytes;
  if (!commandbar::IsEditable(layout.found)) {
    return {"left as it is: " + Refusal(layout.found), false, false, {}};
  }
  const std::string named = "command id " + std::to_string(id);
  if (id > browserreg::kLargestCommandId) {
    return {
        "left as it is: the " + named + " does not fit a layout entry, which holds it in one byte",
        false,
        false,
        {}};
  }
  const int moved =
      commandbar::MoveIds(layout.bytes, id, std::int64_t{id} + later - 1, commandbar::IdStep::Up);
  if (moved == 0 && commandbar::FindEntry(layout.bytes, id) >= 0) {
    return {"unchanged: an entry carries the button's " + named, true, true, {}};
  }
  const std::int32_t index = kButton.LayoutIndex(ProbeCompanionButton(kButton.CompanionKeyGuid));
  commandbar::InsertEntry(layout.bytes, index, id, commandbar::kShownFlag);
  if (layout.bytes.size() > static_cast<std::size_t>(browserreg::kLayoutCapacity)) {
    return {"left as it is: with the button's entry it would be longer than " +
                std::to_string(browserreg::kLayoutCapacity) + " bytes, the most any tool accepts",
            false, false,
            "take some buttons off this account's command bar, then run "
            "vorlinde-inspect.exe /FixLayout"};
  }
  RegistryAccessor writer;
  if (!commandbar::OpenLayoutKey(writer, true)) {
    return {"left as it is: this account may not change its CommandBar key", false, false, {}};
  }
  beforeWrite(asRead);
  commandbar::WriteLayout(writer, layout.bytes);
  const std::string movedUp =
      moved == 0 ? "" : ", " + Entries(moved) + " of later buttons one id up";
  return {
      "placed: " + named + " at entry index " + std::to_string(index) + movedUp, true, true, {}};
}
