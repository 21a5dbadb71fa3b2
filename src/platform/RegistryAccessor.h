// The program's only way into the registry: bound to one root hive, holding at
// most one open key, asking on every open for the rights and in the registry
// view it was made with.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Handles.h"

class WideName;

/// The predefined root keys the program uses, with their handle values.
enum class RegistryRoot : std::uint32_t {
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
};

/// The registry's value types, by the codes the system gives them.
enum class RegistryValueType : std::uint32_t {
  None = 0,             // REG_NONE
  Text = 1,             // REG_SZ
  ExpandableText = 2,   // REG_EXPAND_SZ
  Binary = 3,           // REG_BINARY
  Number = 4,           // REG_DWORD
  BigEndianNumber = 5,  // REG_DWORD_BIG_ENDIAN
  Link = 6,             // REG_LINK
  TextList = 7,         // REG_MULTI_SZ
  Number64 = 11,        // REG_QWORD
};

/// Whether values of `type` hold text: REG_SZ or REG_EXPAND_SZ.
constexpr bool IsTextType(RegistryValueType type) {
  return type == RegistryValueType::Text || type == RegistryValueType::ExpandableText;
}

/// What an open for reading finds at a path.
enum class KeyPresence {
  Present,
  Missing,  // no such key
  Refused,  // the key may exist, but the registry refused to open it
};

/// Whether `a` and `b` name the same key, as the registry finds a key by its
/// name: each UTF-16 unit in the system's upper case, nothing ignored, no
/// locale's collation.
bool SameKeyName(const std::string& a, const std::string& b);

/// What the registry says of a value without handing out its data.
struct RegistryValueInfo {
  bool exists;
  RegistryValueType type;  // may hold a code without a name above
  std::uint32_t size;      // in bytes
};

/// The registry views a 32-bit program can ask for on 64-bit Windows. On
/// 32-bit Windows there is one view and the system ignores the choice.
enum class RegistryView : std::uint32_t {
  Own = 0,          // the process's own: the 32-bit view for this program
  Bits32 = 0x200u,  // KEY_WOW64_32KEY
  Bits64 = 0x100u,  // KEY_WOW64_64KEY
};

/// The rights an accessor asks for on every open.
enum class RegistryRights : std::uint32_t {
  Full = 0xF003Fu,  // KEY_ALL_ACCESS
  Read = 0x20009u,  // KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | READ_CONTROL
};

class RegistryAccessor {
 public:
  static constexpr std::uint32_t kFullAccess = static_cast<std::uint32_t>(RegistryRights::Full);
  static constexpr std::uint32_t kProbeAccess = static_cast<std::uint32_t>(RegistryRights::Read);

  /// Rights and view are fixed for the accessor's life: whoever makes it
  /// decides, and nothing else can change them.
  explicit RegistryAccessor(RegistryRights rights = RegistryRights::Full,
                            RegistryView view = RegistryView::Own)
      : access_(static_cast<std::uint32_t>(rights)), view_(view) {}
  RegistryAccessor(const RegistryAccessor&) = delete;
  RegistryAccessor& operator=(const RegistryAccessor&) = delete;

  /// Binds to another root; a different root closes the open key.
  void SelectHive(RegistryRoot root);
  /// Opens (or creates with every missing parent) the key at `path` and makes
  /// it the open key. On false the previously open key stays open.
  bool OpenSubkey(const std::string& path, bool createIfMissing);
  void CloseSubkey();

  /// Stores `text` plus its terminating zero as REG_SZ.
  void WriteText(const std::string& name, const std::string& text);
  /// Text of a REG_SZ or REG_EXPAND_SZ value up to its first zero byte; empty
  /// when the value is absent or holds no bytes.
  std::string ReadText(const std::string& name);
  void WriteBytes(const std::string& name, const void* buffer, std::int32_t count);
  /// Copies a binary (or untyped) value of at most `capacity` bytes into
  /// `buffer`; 0 when the value is absent.
  std::int32_t ReadBytes(const std::string& name, void* buffer, std::int32_t capacity);
  /// Stores `number` as REG_DWORD.
  void WriteNumber(const std::string& name, std::uint32_t number);
  /// The REG_DWORD value `name`; `fallback` when it is absent or not a number.
  std::uint32_t ReadNumber(const std::string& name, std::uint32_t fallback);
  /// Deletes the open key's value `name`; false when it is missing or refused.
  bool DeleteValue(const std::string& name);
  bool HasValue(const std::string& name);
  /// Type and size of the open key's value `name`, its data left unread.
  RegistryValueInfo QueryValue(const std::string& name);
  /// Whether `path` can be opened for reading; leaves the open key alone.
  bool HasSubkey(const std::string& path);
  /// The same question, telling a missing key from a refused one.
  KeyPresence ProbeSubkey(const std::string& path);
  /// Replaces the content of `names` with the open key's subkey names, in the
  /// registry's order.
  void ListSubkeys(std::vector<std::string>& names);

  RegistryRoot Hive() const { return hive_; }
  std::uint32_t Access() const { return access_; }
  RegistryView View() const { return view_; }
  bool HasOpenKey() const { return openKey_.valid(); }

 private:
  struct ResolvedPath {
    void* base;
    std::string_view rest;  // within the path it was resolved from
  };
  ResolvedPath Resolve(const std::string& path) const;
  std::string ReadLongText(const std::string& name, const WideName& wideName,
                           std::uint32_t reportedSize);
  std::int32_t ReadTextListBytes(const std::string& name, void* buffer, std::int32_t capacity);
  void* HiveKey() const;
  std::uint32_t InView(std::uint32_t access) const;

  RegistryRoot hive_ = RegistryRoot::CurrentUser;
  ScopedRegistryKey openKey_;
  const std::uint32_t access_;
  const RegistryView view_;
};
