// The program's routines: the button's extension key, its place in the
// browser's command bar, the two files beside the executable and the URL
// launch. Every one either completes or raises; none keeps state.
#pragma once

#include <cstdint>
#include <string>

class RegistryAccessor;

// ---- Extension key ----------------------------------------------------------

/// Creates or opens the button's extension key under the machine hive and
/// writes its seven values. False when the key can be neither opened nor
/// created; a refused value write raises, and so does an executable path that
/// cannot be taken whole, before the registry is touched.
bool RegisterExtensionButton(const std::string& keyGuid, const std::string& buttonText,
                             const std::string& defaultVisible, const std::string& execTarget,
                             const std::string& iconFileName, const std::string& hotIconFileName,
                             const std::string& classId);

/// The same, with the icons in `iconDirectory` (ending in a backslash)
/// rather than beside the running executable: for an installer's action,
/// which runs from a DLL in the installer's process.
bool RegisterExtensionButton(const std::string& iconDirectory, const std::string& keyGuid,
                             const std::string& buttonText, const std::string& defaultVisible,
                             const std::string& execTarget, const std::string& iconFileName,
                             const std::string& hotIconFileName, const std::string& classId);

/// The running executable's directory with a trailing backslash.
std::string ExecutableDirectory();
/// The directory part of `path` with a trailing backslash.
std::string DirectoryWithBackslash(const std::string& path);

// ---- Button placement -------------------------------------------------------

constexpr std::int32_t FirstCustomCommandId = 16;

/// Whether the companion button's extension key exists and can be read.
bool ProbeCompanionButton(const std::string& companionKeyGuid);

/// What PlaceButtonInCommandBar did.
enum class Placement {
  Placed,            // the entry was inserted and the layout written
  NotInstalled,      // the Extensions key unreadable or the own key not among them: nothing written
  LayoutKeyRefused,  // the CommandBar key could be neither opened nor created: nothing written
};

/// Inserts the button into the command bar layout at `entryIndex`, with the
/// command id that its place among the extension keys gives it.
Placement PlaceButtonInCommandBar(const std::string& keyGuid, const std::string& classId,
                                  std::int32_t entryIndex);

/// Number of buttons of class `classId` listed before the key `keyGuid`;
/// -1 when the Extensions key cannot be opened for reading.
std::int32_t CountPrecedingButtons(const std::string& keyGuid, const std::string& classId);

/// The same count on `machine`, an accessor of the machine hive that asks for
/// read rights at least, in the view it was made with.
std::int32_t CountPrecedingButtons(RegistryAccessor& machine, const std::string& keyGuid,
                                   const std::string& classId);

/// Whether the extension key `name` describes a button of class `classId`
/// with a text and an icon. Uses (and leaves closed) `registry`'s open key.
bool IsMatchingButtonKey(RegistryAccessor& registry, const std::string& name,
                         const std::string& classId);

// ---- Command bar layout -----------------------------------------------------

/// Inserts one 4-byte entry (id, flag, 0, 0) at `entryIndex` into the
/// current user's ButtonLayout value, never behind its last entry, under the
/// install run's rules (CommandBarLayout.h). False, with nothing written,
/// when the CommandBar key can be neither opened nor created.
bool InsertLayoutEntry(std::int32_t entryIndex, std::int32_t commandId, std::int32_t flag);

/// Byte offset of entry `entryIndex` in a layout of `layoutLength` bytes,
/// clamped to the offset of the last entry.
std::int32_t ClampedEntryOffset(std::int32_t entryIndex, std::int32_t layoutLength);

// ---- Files and URL launch ---------------------------------------------------

/// Writes an Internet Shortcut to `url` beside the executable, named after
/// it with "_" + `name` + ".url" in place of its extension.
void SaveShortcutFile(const std::string& url, const std::string& name);

/// Writes `text` as the one line of the caption file beside the executable.
void SaveCaptionFile(const std::string& text);

/// Hands `url` to the shell; raises EOSError when the shell refuses.
void OpenTargetUrl(const std::string& url);

/// Hands a document path or URL to the shell's default verb.
void OpenWithShell(const std::string& target);
