// A random ButtonLayout value (present or absent, any type, up to about 4 KiB),
// random rights on its key, and either an insertion (a random entry index, id
// and flag) or a removal's fix (a random removed id and range of later ids):
// the value afterwards must be what the plain model below says, and no key
// stays open. Or the same bytes handed to the pure edits alone.
#include <algorithm>
#include <cstdint>
#include <string>

#include "CommandBarLayout.h"
#include "LayoutRenumbering.h"
#include "Exceptions.h"
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "RegistrySnapshot.h"
#include "StandInControl.h"
#include "UnitVorlindeUtils.h"

namespace {

const std::string kDefaultLayout(
    "\x07\0\0\0\x01\x01\0\0\x03\x01\0\0\x04\x01\0\0\x05\x01\0\0\x06\x01\0\0\x07\x01\0\0", 28);
constexpr std::size_t kLargestValue = 2048;

struct Case {
  bool removal;  // the removal's fix instead of an insertion
  bool pure;     // the pure edits on the bytes, without the registry
  bool keyExists;
  bool valuePresent;
  DWORD type;
  std::string bytes;
  standin::KeyRights rights;
  std::int32_t index;
  std::int32_t id;
  std::int32_t flag;
};

// Small numbers come up often: the interesting borders lie near them.
std::int32_t Number(FuzzInput& input, std::int32_t smallBase) {
  const std::uint8_t how = input.Byte();
  if (how & 1) return static_cast<std::int32_t>(input.Word());
  return smallBase + static_cast<std::int8_t>(how) / 2;
}

DWORD Type(FuzzInput& input) {
  const std::uint8_t how = input.Byte();
  return (how & 0x80) ? input.Word() : how % 12;
}

Case ReadCase(FuzzInput& input) {
  Case c{};
  const std::uint8_t shape = input.Byte();
  c.valuePresent = shape & 1;
  c.removal = shape & 4;
  c.pure = shape & 8;
  c.keyExists = c.valuePresent || (shape & 2);
  c.rights = input.Rights();
  c.type = Type(input);
  c.index = Number(input, 2);
  c.id = Number(input, 16);
  c.flag = Number(input, 1);
  c.bytes = input.Text(4100);
  return c;
}

// What the value must be afterwards; `refused` says whether the call raises.
StoredValue Expected(const Case& c, bool& refused) {
  const StoredValue before = c.valuePresent ? StoredValue{true, c.type, c.bytes} : StoredValue{};
  refused = c.id < 16 || c.id > 0xFF || c.index < 0;
  if (refused || c.rights != standin::KeyRights::Full) return before;
  std::string layout = c.valuePresent ? c.bytes : "";
  const bool textOrNumber = c.type == REG_SZ || c.type == REG_EXPAND_SZ || c.type == REG_DWORD;
  refused = c.valuePresent && (textOrNumber || layout.size() > kLargestValue || layout.size() % 4);
  if (refused) return before;
  if (layout.empty()) layout = kDefaultLayout;
  const std::int64_t offset = std::min<std::int64_t>(std::int64_t{4} * c.index,
                                                     static_cast<std::int64_t>(layout.size()) - 4);
  const std::string entry{static_cast<char>(c.id & 0xFF), static_cast<char>(c.flag & 0xFF), 0, 0};
  layout.insert(static_cast<std::size_t>(offset), entry);
  return StoredValue{true, REG_BINARY, layout};
}

// The removal's edit of whole entries: the removed id's entries go, and the
// later ids each move one down (an id 0 has nowhere to go). Entry ids are one
// byte, so nothing above 255 matches.
std::string RemovedAndRenumbered(const std::string& bytes, std::int64_t removed,
                                 std::int64_t lastLater) {
  std::string layout;
  for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
    std::string entry = bytes.substr(at, 4);
    const auto id = static_cast<std::uint8_t>(entry[0]);
    if (id == removed) continue;
    if (id > removed && id <= lastLater && id > 0) entry[0] = static_cast<char>(id - 1);
    layout += entry;
  }
  return layout;
}

// The removal's fix: only a binary value of whole entries that an install
// could have read is edited.
StoredValue ExpectedAfterRemoval(const Case& c) {
  const StoredValue before = c.valuePresent ? StoredValue{true, c.type, c.bytes} : StoredValue{};
  if (!c.valuePresent || c.rights != standin::KeyRights::Full || c.type != REG_BINARY ||
      c.bytes.size() % 4 != 0 || c.bytes.size() > kLargestValue) {
    return before;
  }
  // The index serves as the later count.
  const std::string layout = RemovedAndRenumbered(c.bytes, c.id, std::int64_t{c.id} + c.index);
  return StoredValue{true, REG_BINARY, layout};
}

using commandbar::LayoutBytes;

std::string AsText(const LayoutBytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// The pure edits on any bytes, each against the plain model: the insertion at
// its clamped whole-entry offset, the search, the moves both ways and the
// removal.
void FuzzPureEdits(const Case& c) {
  const LayoutBytes bytes(c.bytes.begin(), c.bytes.end());
  LayoutBytes inserted = bytes;
  commandbar::InsertEntry(inserted, c.index, c.id, c.flag);
  std::string model = c.bytes.empty() ? kDefaultLayout : c.bytes;
  const std::int64_t whole = static_cast<std::int64_t>(model.size() - model.size() % 4);
  const std::int64_t offset =
      std::max<std::int64_t>(0, std::min<std::int64_t>(std::int64_t{4} * c.index, whole - 4));
  model.insert(static_cast<std::size_t>(offset),
               std::string{static_cast<char>(c.id & 0xFF), static_cast<char>(c.flag & 0xFF), 0, 0});
  Expect(AsText(inserted) == model, [&] { return "inserted " + Hex(AsText(inserted)); });

  std::int32_t found = -1;
  for (std::size_t at = 0; found < 0 && at + 4 <= c.bytes.size(); at += 4) {
    if (static_cast<std::uint8_t>(c.bytes[at]) == c.id) found = static_cast<std::int32_t>(at / 4);
  }
  Expect(commandbar::FindEntry(bytes, c.id) == found, "the entry found");

  const std::int64_t first = c.id;
  const std::int64_t last = first + c.flag;  // the flag serves as the range's width
  for (const commandbar::IdStep step : {commandbar::IdStep::Down, commandbar::IdStep::Up}) {
    LayoutBytes moved = bytes;
    const int count = commandbar::MoveIds(moved, first, last, step);
    std::string expected = c.bytes;
    int expectedCount = 0;
    for (std::size_t at = 0; at + 4 <= expected.size(); at += 4) {
      const int id = static_cast<std::uint8_t>(expected[at]);
      const int to = id + static_cast<int>(step);
      if (id < first || id > last || to < 0 || to > 0xFF) continue;
      expected[at] = static_cast<char>(to);
      ++expectedCount;
    }
    Expect(AsText(moved) == expected && count == expectedCount, "the ids moved");
  }

  LayoutBytes removed = bytes;
  commandbar::RemoveButtonEntries(removed, commandbar::IdShift{c.id, c.index});
  Expect(AsText(removed) == RemovedAndRenumbered(c.bytes, c.id, std::int64_t{c.id} + c.index),
         "the removal's edit");
}

void FuzzRemoval(const Case& c, const std::string& key, const std::string& guarded) {
  commandbar::FixCurrentUsersLayout(commandbar::IdShift{c.id, c.index});
  Expect(standin::OpenKeyCount() == 0, "the removal's fix left a key open");
  standin::SetKeyRights(HKEY_CURRENT_USER, guarded, standin::KeyRights::Full);
  const StoredValue after = ReadValue(HKEY_CURRENT_USER, key, "ButtonLayout");
  const StoredValue expected = ExpectedAfterRemoval(c);
  Expect(after == expected, [&] {
    return "fixed layout " + Hex(after.bytes) + "type " + std::to_string(after.type) + " not " +
           Hex(expected.bytes);
  });
  Expect(KeyExists(HKEY_CURRENT_USER, key) == c.keyExists, "the fix created or removed the key");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const Case c = ReadCase(input);
  if (c.pure) {
    FuzzPureEdits(c);
    return 0;
  }
  standin::Reset();
  // The rights lie on the key, or on its parent when the call has to create it.
  const std::string key = kCommandBarPath;
  const std::string guarded = c.keyExists ? key : key.substr(0, key.rfind('\\'));
  CreateKey(HKEY_CURRENT_USER, guarded);
  if (c.valuePresent) StoreValue(HKEY_CURRENT_USER, key, "ButtonLayout", c.type, c.bytes);
  standin::SetKeyRights(HKEY_CURRENT_USER, guarded, c.rights);
  if (c.removal) {
    FuzzRemoval(c, key, guarded);
    return 0;
  }

  bool raised = false;
  try {
    InsertLayoutEntry(c.index, c.id, c.flag);
  } catch (const Exception&) {
    raised = true;
  }
  Expect(standin::OpenKeyCount() == 0, "a key was left open");

  bool refused = false;
  const StoredValue expected = Expected(c, refused);
  Expect(raised == refused, raised ? "refused a valid edit" : "took an invalid edit");
  standin::SetKeyRights(HKEY_CURRENT_USER, guarded, standin::KeyRights::Full);
  const StoredValue after = ReadValue(HKEY_CURRENT_USER, key, "ButtonLayout");
  Expect(after == expected, [&] {
    return "layout " + Hex(after.bytes) + "type " + std::to_string(after.type) + " not " +
           Hex(expected.bytes);
  });
  const bool keyExpected = c.keyExists || (!refused && c.rights == standin::KeyRights::Full);
  Expect(KeyExists(HKEY_CURRENT_USER, key) == keyExpected, "the key's existence");
  return 0;
}
