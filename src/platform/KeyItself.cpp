#include "KeyItself.h"

#include "Advapi32.h"
#include "Exceptions.h"
#include "RegistryWalk.h"
#include "SystemErrorText.h"
#include "WideText.h"
#include "Win32.h"

namespace {

HKEY AsKey(void* key) { return static_cast<HKEY>(key); }

bool IsMissing(LONG status) {
  return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND;
}

}  // namespace

const char* RootName(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

KeyItself::KeyItself(RegistryRoot root, RegistryView view, const std::string& base,
                     const std::string& path, bool create, RegistryRights rights)
    : root_(root), view_(view), path_(path) {
  if (path.compare(0, base.size() + 1, base + "\\") != 0) {
    throw EAssertionFailed(path + " is not below " + base);
  }
  Walk(base, create, static_cast<std::uint32_t>(rights));
}

void KeyItself::Walk(const std::string& base, bool create, std::uint32_t rights) {
  RegistryWalk walk = WalkAsItself(root_, view_, base, path_, rights, create);
  switch (walk.entry.kind) {
    case RegistryTreeEntry::Kind::Key:
      outcome_ = Outcome::Opened;
      key_ = std::move(walk.key);
      return;
    case RegistryTreeEntry::Kind::Link:
    case RegistryTreeEntry::Kind::LinkAbove:
      outcome_ = Outcome::Link;
      link_ = walk.entry;
      return;
    case RegistryTreeEntry::Kind::Missing:
      break;
  }
  outcome_ = walk.refused ? Outcome::Refused : Outcome::Missing;
  refusal_ = walk.status;
}

std::string KeyItself::Name() const { return std::string(RootName(root_)) + path_; }

std::string KeyItself::Problem() const {
  switch (outcome_) {
    case Outcome::Opened:
      return std::string();
    case Outcome::Missing:
      return Name() + " does not exist";
    case Outcome::Link:
      return "the registry link " + std::string(RootName(root_)) + link_.path + " to " +
             link_.target + " stands " +
             (link_.path == path_ ? "in the place of " : "on the way to ") + Name() +
             "; it was left alone";
    case Outcome::Refused:
      break;
  }
  return "the registry refused to open " + Name() + " (" + SystemErrorText(refusal_) + ")";
}

void KeyItself::Write(const std::string& name, std::uint32_t type, const void* data,
                      std::uint32_t size) {
  Check(IsOpen(), "a value written to a key that is not open");
  const LONG status = Advapi32().RegSetValueExW(AsKey(key_.get()), Widen(name).data(), 0, type,
                                                static_cast<const BYTE*>(data), size);
  if (status != ERROR_SUCCESS) {
    throw ERegistryException("the registry refused to write the value \"" + name + "\" of " +
                             Name() + " (" + SystemErrorText(static_cast<std::uint32_t>(status)) +
                             ")");
  }
}

void KeyItself::WriteText(const std::string& name, const std::string& text) {
  const WideText wide = Widen(text);
  Write(name, REG_SZ, wide.data(), static_cast<std::uint32_t>(wide.size() * sizeof(WCHAR)));
}

void KeyItself::WriteNumber(const std::string& name, std::uint32_t number) {
  Write(name, REG_DWORD, &number, sizeof number);
}

std::string KeyItself::ReadText(const std::string& name) {
  if (!IsOpen()) return std::string();
  const WideName wideName(name);
  // One read for a short text (a stamp, an outcome); a longer one is read
  // again at the size that read reports. One unit more than is read: a
  // value stored without its zero still ends.
  WCHAR shortUnits[129] = {};
  WideText longUnits;
  WCHAR* units = shortUnits;
  DWORD type = REG_NONE;
  DWORD size = sizeof shortUnits - sizeof(WCHAR);
  LONG status = Advapi32().RegQueryValueExW(AsKey(key_.get()), wideName.data(), nullptr, &type,
                                            reinterpret_cast<BYTE*>(units), &size);
  if (status == ERROR_MORE_DATA) {
    longUnits.assign(size / sizeof(WCHAR) + 1, 0);
    units = longUnits.data();
    status = Advapi32().RegQueryValueExW(AsKey(key_.get()), wideName.data(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(units), &size);
  }
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::string();
  std::size_t length = 0;
  while (length < (size + 1) / sizeof(WCHAR) && units[length] != 0) ++length;
  return Utf8From(units, length);
}

std::uint32_t KeyItself::ReadNumber(const std::string& name, std::uint32_t fallback) {
  if (!IsOpen()) return fallback;
  DWORD type = REG_NONE;
  DWORD number = 0;
  DWORD size = sizeof number;
  if (Advapi32().RegQueryValueExW(AsKey(key_.get()), Widen(name).data(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(&number), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof number) {
    return fallback;
  }
  return number;
}

RegistryValueInfo KeyItself::Query(const std::string& name) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (!IsOpen() || Advapi32().RegQueryValueExW(AsKey(key_.get()), Widen(name).data(), nullptr,
                                               &type, nullptr, &size) != ERROR_SUCCESS) {
    return {false, RegistryValueType::None, 0};
  }
  return {true, static_cast<RegistryValueType>(type), size};
}

bool KeyItself::DeleteValue(const std::string& name) {
  if (!IsOpen()) return false;
  const LONG status = Advapi32().RegDeleteValueW(AsKey(key_.get()), Widen(name).data());
  return status == ERROR_SUCCESS || IsMissing(status);
}
