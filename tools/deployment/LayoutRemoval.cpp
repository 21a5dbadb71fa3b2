#include "LayoutRemoval.h"

#include "BrowserRegistry.h"
#include "RegistryAccessor.h"

namespace {

constexpr std::size_t kEntrySize = 4;

// Why the editor leaves a value alone; empty when it may edit it. It edits
// only what an install run itself would have written.
std::string Refusal(const RegistryValueInfo& info) {
  if (info.type != RegistryValueType::Binary) return "it is not binary (REG_BINARY)";
  if (info.size % kEntrySize != 0) return "its length is not a multiple of 4 bytes";
  if (info.size > static_cast<std::uint32_t>(browserreg::kLayoutCapacity)) {
    return "it is longer than " + std::to_string(browserreg::kLayoutCapacity) + " bytes";
  }
  return std::string();
}

}  // namespace

LayoutEdit RemoveButtonEntries(std::vector<std::uint8_t>& layout, const IdShift& shift) {
  LayoutEdit edit;
  // Wide: a record's numbers come from the registry, and may be anything.
  const std::int64_t lastLater = std::int64_t{shift.removedId} + shift.laterCount;
  std::vector<std::uint8_t> kept;
  kept.reserve(layout.size());
  for (std::size_t at = 0; at + kEntrySize <= layout.size(); at += kEntrySize) {
    const std::int32_t id = layout[at];
    if (id == shift.removedId) {
      ++edit.removed;
      continue;
    }
    kept.insert(kept.end(), layout.begin() + static_cast<std::ptrdiff_t>(at),
                layout.begin() + static_cast<std::ptrdiff_t>(at + kEntrySize));
    if (id > shift.removedId && id <= lastLater) {
      kept[kept.size() - kEntrySize] = static_cast<std::uint8_t>(id - 1);
      ++edit.renumbered;
    }
  }
  layout.swap(kept);
  return edit;
}

namespace {

// The layout and its refusal, read through `registry` (left open on the
// command bar's key when it stands).
bool ReadLayout(RegistryAccessor& registry, CurrentLayout& layout) {
  registry.SelectHive(RegistryRoot::CurrentUser);
  if (!registry.OpenSubkey(browserreg::kCommandBarKey, false)) return false;
  const RegistryValueInfo info = registry.QueryValue(browserreg::kLayoutValue);
  if (!info.exists) return false;
  layout.refusal = Refusal(info);
  if (!layout.refusal.empty()) return true;
  layout.bytes.resize(info.size);
  const std::int32_t length = registry.ReadBytes(browserreg::kLayoutValue, layout.bytes.data(),
                                                 static_cast<std::int32_t>(info.size));
  layout.bytes.resize(static_cast<std::size_t>(length));
  return true;
}

}  // namespace

CurrentLayout ReadCurrentUsersLayout() {
  RegistryAccessor registry(RegistryRights::Read);
  CurrentLayout layout;
  ReadLayout(registry, layout);
  return layout;
}

bool HasEntryWithId(const std::vector<std::uint8_t>& layout, std::int32_t id) {
  for (std::size_t at = 0; at + kEntrySize <= layout.size(); at += kEntrySize) {
    if (layout[at] == id) return true;
  }
  return false;
}

LayoutFix FixCurrentUsersLayout(const IdShift& shift) {
  RegistryAccessor registry;
  CurrentLayout current;
  if (!ReadLayout(registry, current)) return {LayoutFixResult::NoLayout, {}, {}};
  if (!current.refusal.empty()) return {LayoutFixResult::Refused, {}, current.refusal};
  std::vector<std::uint8_t>& layout = current.bytes;
  const LayoutEdit edit = RemoveButtonEntries(layout, shift);
  if (edit.removed + edit.renumbered > 0) {
    registry.WriteBytes(browserreg::kLayoutValue, layout.data(),
                        static_cast<std::int32_t>(layout.size()));
  }
  return {LayoutFixResult::Edited, edit, {}};
}
