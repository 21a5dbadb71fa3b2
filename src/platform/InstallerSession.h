// What a custom action in a DLL of a Windows Installer package needs of the
// installer: the session's properties and its log. Windows only: only the
// package's actions use it.
#pragma once

#include <string>

#include "SystemLibrary.h"

/// The exit codes of a custom action, as the installer reads them.
constexpr unsigned kActionSucceeded = 0;  // ERROR_SUCCESS
constexpr unsigned kActionFailed = 1603;  // ERROR_INSTALL_FAILURE

/// The session a custom action runs in. msi.dll is loaded in the process
/// that runs the action already; it is taken from the system directory like
/// any other DLL the tools load, never searched for.
class InstallerSession {
 public:
  explicit InstallerSession(unsigned long handle);

  /// The property `name` ("CustomActionData" in a deferred action); empty
  /// when it is not set. Raises EOSError when the installer refuses it.
  std::string Property(const std::string& name) const;

  /// Writes `text` to the install log (/l*v) as an information message.
  void Log(const std::string& text) const;

 private:
  unsigned long handle_;
  SystemLibrary msi_;
};
