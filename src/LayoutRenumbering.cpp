#include "LayoutRenumbering.h"

namespace commandbar {

std::int32_t FindEntry(const LayoutBytes& layout, std::int32_t id) {
  for (std::size_t at = 0; at + kEntrySize <= layout.size(); at += kEntrySize) {
    if (layout[at] == id) return static_cast<std::int32_t>(at / kEntrySize);
  }
  return -1;
}

int MoveIds(LayoutBytes& layout, std::int64_t first, std::int64_t last, IdStep step) {
  int moved = 0;
  for (std::size_t at = 0; at + kEntrySize <= layout.size(); at += kEntrySize) {
    const std::int32_t id = layout[at];
    const std::int32_t to = id + static_cast<std::int32_t>(step);
    if (id < first || id > last || to < 0 || to > browserreg::kLargestCommandId) continue;
    layout[at] = static_cast<std::uint8_t>(to);
    ++moved;
  }
  return moved;
}

LayoutEdit RemoveButtonEntries(LayoutBytes& layout, const IdShift& shift) {
  LayoutEdit edit;
  LayoutBytes kept;
  kept.reserve(layout.size());
  for (std::size_t at = 0; at + kEntrySize <= layout.size(); at += kEntrySize) {
    const auto entry = layout.begin() + static_cast<std::ptrdiff_t>(at);
    if (*entry == shift.removedId) {
      ++edit.removed;
    } else {
      kept.insert(kept.end(), entry, entry + static_cast<std::ptrdiff_t>(kEntrySize));
    }
  }
  edit.renumbered = MoveIds(kept, std::int64_t{shift.removedId} + 1,
                            std::int64_t{shift.removedId} + shift.laterCount, IdStep::Down);
  layout.swap(kept);
  return edit;
}

LayoutFix FixCurrentUsersLayout(const IdShift& shift) {
  RegistryAccessor registry;
  LayoutRead layout = ReadLayout(registry, LayoutRules::BinaryOnly);
  if (layout.found != LayoutFound::Bytes) return {layout.found, {}};
  const LayoutEdit edit = RemoveButtonEntries(layout.bytes, shift);
  if (edit.removed + edit.renumbered > 0) WriteLayout(registry, layout.bytes);
  return {LayoutFound::Bytes, edit};
}

}  // namespace commandbar
