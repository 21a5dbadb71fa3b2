// A random ButtonLayout value (present or absent, any type, up to about 4 KiB),
// random rights on its key, and a random entry index, id and flag: the value
// afterwards must be what the plain model below says, and no key stays open.
#include <algorithm>
#include <cstdint>
#include <string>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const Case c = ReadCase(input);
  standin::Reset();
  // The rights lie on the key, or on its parent when the call has to create it.
  const std::string key = kCommandBarPath;
  const std::string guarded = c.keyExists ? key : key.substr(0, key.rfind('\\'));
  CreateKey(HKEY_CURRENT_USER, guarded);
  if (c.valuePresent) StoreValue(HKEY_CURRENT_USER, key, "ButtonLayout", c.type, c.bytes);
  standin::SetKeyRights(HKEY_CURRENT_USER, guarded, c.rights);

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
