// A random set of extension keys (names in any case and of any length, clsid
// values of every type and form, texts and icons present or absent, rights
// per key): the count of preceding buttons must be the plain model's and
// change nothing, and a whole install run may change only the program's own
// key and the command bar key.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "Exceptions.h"
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "RegistrySnapshot.h"
#include "StandInControl.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"
#include "Win32.h"

namespace {

const std::string kClassId = kButton.ButtonClsid;
const std::string kOwnName = kButton.KeyGuid;

// Upper case in code page 1252, as the registry compares key names.
unsigned char Upper(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
  if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 16);
  return c == 0xFF ? 0x9F : c;
}

std::string Upper(const std::string& text) {
  std::string upper = text;
  for (char& c : upper) c = static_cast<char>(Upper(static_cast<unsigned char>(c)));
  return upper;
}

// The registry orders names by their upper-case characters, as Unicode
// numbers them, not by the bytes code page 1252 gives them.
std::u16string SortKey(const std::string& name) {
  const std::string upper = Upper(name);
  std::u16string wide(upper.size(), u'\0');
  MultiByteToWideChar(1252, 0, upper.data(), static_cast<int>(upper.size()), wide.data(),
                      static_cast<int>(wide.size()));
  return wide;
}

std::string AsciiUpper(std::string text) {
  for (char& c : text) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  return text;
}

struct Value {
  bool present;
  DWORD type;
  std::string bytes;
};

struct ExtensionKey {
  std::string name;
  standin::KeyRights rights;
  Value clsid, buttonText, icon, hotIcon;
};

// Each letter of `text` in the case that one bit of `bits` chooses.
std::string InSomeCase(std::string text, std::uint32_t bits) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool lower = (bits >> (i % 32)) & 1;
    if (lower && text[i] >= 'A' && text[i] <= 'Z') text[i] = static_cast<char>(text[i] + 32);
  }
  return text;
}

// Key names hold neither a backslash nor a zero byte.
std::string Name(FuzzInput& input) {
  const std::uint8_t how = input.Byte();
  if (how % 4 == 0) return InSomeCase(kOwnName, input.Word());
  if (how % 4 == 1) return std::string(200 + how, static_cast<char>('a' + how % 26));
  std::string name = input.Text(1 + how % 40);
  for (char& c : name) c = (c == '\\' || c == '\0') ? '_' : c;
  return name.empty() ? "k" : name;
}

Value Clsid(FuzzInput& input) {
  const std::uint8_t how = input.Byte();
  const std::string id = InSomeCase(kClassId, input.Word());
  switch (how % 10) {
    case 0:
      return {false, REG_NONE, ""};
    case 1:
      return {true, REG_SZ, id + '\0'};
    case 2:
      return {true, REG_EXPAND_SZ, id + '\0'};
    case 3:
      return {true, REG_SZ, id + " " + '\0'};
    case 4:
      return {true, REG_SZ, id + '\0' + "tail" + '\0'};
    case 5:
      return {true, REG_SZ, id};  // no terminating zero
    case 6:
      return {true, input.Word(), ""};
    case 7:
      return {true, input.Word(), id + '\0'};
    case 8:
      return {true, REG_DWORD, input.Text(4)};
    default:
      return {true, REG_SZ, input.Text(how % 48)};
  }
}

Value Optional(std::uint8_t bits) {
  if (bits & 1) return {false, REG_NONE, ""};
  return {true, (bits & 2) ? REG_DWORD : REG_SZ, (bits & 4) ? std::string() : std::string("x", 2)};
}

std::vector<ExtensionKey> ReadKeys(FuzzInput& input) {
  std::vector<ExtensionKey> keys;
  for (int count = input.Byte() % 12; count > 0; --count) {
    ExtensionKey key;
    key.name = Name(input);
    key.rights = input.Rights();
    key.clsid = Clsid(input);
    const std::uint8_t bits = input.Byte();
    key.buttonText = Optional(bits);
    key.icon = Optional(bits >> 3);
    key.hotIcon = Optional(bits >> 6);
    // A name that differs only in case names a key already there.
    const auto same = [&](const ExtensionKey& k) { return Upper(k.name) == Upper(key.name); };
    if (std::none_of(keys.begin(), keys.end(), same)) keys.push_back(key);
  }
  std::sort(keys.begin(), keys.end(), [](const ExtensionKey& a, const ExtensionKey& b) {
    return SortKey(a.name) < SortKey(b.name);
  });
  return keys;
}

std::string PathOf(const ExtensionKey& key) {
  return std::string(kExtensionsPath) + "\\" + key.name;
}

void Store(const ExtensionKey& key) {
  CreateKey(HKEY_LOCAL_MACHINE, PathOf(key));
  const std::pair<const char*, const Value*> values[] = {{"clsid", &key.clsid},
                                                         {"ButtonText", &key.buttonText},
                                                         {"Icon", &key.icon},
                                                         {"HotIcon", &key.hotIcon}};
  for (const auto& value : values) {
    if (!value.second->present) continue;
    StoreValue(HKEY_LOCAL_MACHINE, PathOf(key), value.first, value.second->type,
               value.second->bytes);
  }
}

// The stand-in's controls name keys in UTF-8; the keys were made through
// the "A" calls, in code page 1252.
std::string Utf8Of(const std::string& text) {
  std::u16string units(text.size(), u'\0');
  MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), units.data(),
                      static_cast<int>(units.size()));
  std::string utf8(3 * units.size(), '\0');
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, units.data(), static_cast<int>(units.size()), utf8.data(),
                          static_cast<int>(utf8.size()), nullptr, nullptr);
  utf8.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return utf8;
}

void SetRights(const std::vector<ExtensionKey>& keys, standin::KeyRights extensions, bool on) {
  const auto full = standin::KeyRights::Full;
  standin::SetKeyRights(HKEY_LOCAL_MACHINE, kExtensionsPath, on ? extensions : full);
  for (const ExtensionKey& key : keys) {
    standin::SetKeyRights(HKEY_LOCAL_MACHINE, Utf8Of(PathOf(key)), on ? key.rights : full);
  }
}

// The model's answer; `raises` when an examined clsid is neither text nor empty.
std::int32_t ModelCount(const std::vector<ExtensionKey>& keys, standin::KeyRights extensions,
                        bool& raises) {
  raises = false;
  // The count asks for read rights only.
  if (extensions == standin::KeyRights::None) return -1;
  const auto own = std::find_if(keys.begin(), keys.end(), [](const ExtensionKey& key) {
    return AsciiUpper(key.name) == AsciiUpper(kOwnName);
  });
  if (own == keys.end()) return 0;  // nothing is examined
  std::int32_t count = 0;
  for (auto key = keys.begin(); key != own; ++key) {
    if (key->rights == standin::KeyRights::None) continue;
    const Value& clsid = key->clsid;
    if (clsid.present && !clsid.bytes.empty() && clsid.type != REG_SZ &&
        clsid.type != REG_EXPAND_SZ) {
      raises = true;
      return 0;
    }
    const std::string text = clsid.present ? clsid.bytes.substr(0, clsid.bytes.find('\0')) : "";
    if (AsciiUpper(text) == AsciiUpper(kClassId) && key->buttonText.present && key->icon.present) {
      ++count;
    }
  }
  return count;
}

bool InOwnOrLayoutKey(const std::string& path, HKEY root) {
  const std::string upper = AsciiUpper(path);
  const std::string own = AsciiUpper(std::string(kExtensionsPath) + "\\" + kOwnName);
  const std::string bar = AsciiUpper(kCommandBarPath);
  const std::string& kept = root == HKEY_LOCAL_MACHINE ? own : bar;
  return upper.compare(0, kept.size(), kept) == 0 &&
         (upper.size() == kept.size() || upper[kept.size()] == '\\');
}

// The snapshot without the keys an install run may change.
Snapshot Outside(Snapshot snapshot, HKEY root) {
  for (auto at = snapshot.begin(); at != snapshot.end();) {
    at = InOwnOrLayoutKey(at->first, root) ? snapshot.erase(at) : std::next(at);
  }
  return snapshot;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const standin::KeyRights extensions = input.Rights();
  const std::vector<ExtensionKey> keys = ReadKeys(input);
  standin::Reset();
  standin::SetModuleFileName("C:\\Programme\\Vorlinde\\vorlinde.exe");
  standin::SetCommandLine("vorlinde.exe");
  CreateKey(HKEY_LOCAL_MACHINE, kExtensionsPath);
  CreateKey(HKEY_CURRENT_USER,
            std::string(kCommandBarPath).substr(0, std::string(kCommandBarPath).rfind('\\')));
  for (const ExtensionKey& key : keys) Store(key);
  const Snapshot machine = TakeSnapshot(HKEY_LOCAL_MACHINE);
  const Snapshot user = TakeSnapshot(HKEY_CURRENT_USER);

  bool raises = false;
  const std::int32_t expected = ModelCount(keys, extensions, raises);
  SetRights(keys, extensions, true);
  bool raised = false;
  std::int32_t count = -2;
  try {
    count = CountPrecedingButtons(kOwnName, kClassId);
  } catch (const ERegistryException&) {
    raised = true;
  }
  Expect(raised == raises, raised ? "the count raised" : "the count did not raise");
  Expect(raised || count == expected,
         [&] { return "count " + std::to_string(count) + " not " + std::to_string(expected); });
  Expect(standin::OpenKeyCount() == 0, "the count left a key open");
  SetRights(keys, extensions, false);
  Expect(TakeSnapshot(HKEY_LOCAL_MACHINE) == machine, "the count changed the machine hive");

  SetRights(keys, extensions, true);
  RunVorlinde();
  Expect(standin::OpenKeyCount() == 0, "the install run left a key open");
  SetRights(keys, extensions, false);
  Expect(Outside(TakeSnapshot(HKEY_LOCAL_MACHINE), HKEY_LOCAL_MACHINE) ==
             Outside(machine, HKEY_LOCAL_MACHINE),
         "the install run changed the machine hive outside its own key");
  Expect(Outside(TakeSnapshot(HKEY_CURRENT_USER), HKEY_CURRENT_USER) ==
             Outside(user, HKEY_CURRENT_USER),
         "the install run changed the user hive outside the command bar key");
  return 0;
}
