// Where the browser keeps what the program writes. Each registry path, value
// name and limit has its one home here, shared by the program, the inspector
// and the tests.
#pragma once

#include <cstdint>
#include <string>

namespace browserreg {

// Absolute paths, as RegistryAccessor takes them: "\" and the path below the
// root key.

/// The browser's extension keys, under the machine hive.
inline constexpr char kExtensionsKey[] = "\\SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
/// The same key as the companion probe spells it; the registry ignores the
/// letter case, the call log shows it.
inline constexpr char kCompanionExtensionsKey[] =
    "\\Software\\Microsoft\\Internet Explorer\\Extensions";
/// The command bar's key, under the current user's hive.
inline constexpr char kCommandBarKey[] =
    "\\Software\\Microsoft\\Internet Explorer\\LowRegistry\\CommandBar";

/// The command bar layout value, and the most of it an install run reads.
inline constexpr char kLayoutValue[] = "ButtonLayout";
inline constexpr std::int32_t kLayoutCapacity = 2048;
/// Bytes per layout entry: the command id, a flag, two zero bytes.
inline constexpr std::size_t kLayoutEntrySize = 4;
/// The largest command id a layout entry can name: it holds the id in its
/// first byte.
inline constexpr std::int32_t kLargestCommandId = 0xFF;

// The extension key's seven values, in the order they are written.
inline constexpr char kDefaultValue[] = "";
inline constexpr char kButtonTextValue[] = "ButtonText";
inline constexpr char kDefaultVisibleValue[] = "Default Visible";
inline constexpr char kExecValue[] = "Exec";
inline constexpr char kIconValue[] = "Icon";
inline constexpr char kHotIconValue[] = "HotIcon";
inline constexpr char kClsidValue[] = "clsid";

/// Under the current user's hive: where Windows keeps the machine-hive writes
/// of a program that ran without administrative rights and without a
/// manifest that asks for an execution level, as "MACHINE" and the machine
/// path.
inline constexpr char kVirtualStoreKey[] = "\\Software\\Classes\\VirtualStore\\MACHINE";
/// The part of it the system lays out for each user (on Windows, "Classes"
/// is a registry link to the user's own classes hive); below it, only the
/// system's redirection writes.
inline constexpr char kUserClassesKey[] = "\\Software\\Classes";
/// The key below SOFTWARE that holds the 32-bit registry view on 64-bit
/// Windows.
inline constexpr char kWow64Node[] = "WOW6432Node";

/// A machine path below SOFTWARE in the form the 32-bit view has on 64-bit
/// Windows: "\SOFTWARE\WOW6432Node\Microsoft\...".
inline std::string InWow64Node(const std::string& machinePath) {
  const std::size_t afterSoftware = machinePath.find('\\', 1);
  return machinePath.substr(0, afterSoftware) + "\\" + kWow64Node +
         machinePath.substr(afterSoftware);
}

/// An absolute path as the system's own calls take it, without the "\".
constexpr const char* BelowRoot(const char* absolutePath) { return absolutePath + 1; }

}  // namespace browserreg
