// What a custom action in a DLL of a Windows Installer package needs of the
// installer and of its own DLL: the session's properties and log, and the
// bytes the DLL carries. Windows only: only the package's actions use it.
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

/// A file in the temporary folder holding `bytes`, deleted when the object
/// goes. Raises EOSError when it cannot be made whole.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& bytes);
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& Path() const { return name_.path; }

 private:
  // A member, so that the file goes also when the constructor stops after
  // the name was taken: a constructor that raises runs no destructor of its
  // own class, only those of the members it made.
  struct DeletedWhenGone {
    std::string path;
    ~DeletedWhenGone();
  };
  DeletedWhenGone name_;
};

/// The bytes of the raw-data resource `id` of the module (program or DLL)
/// this code is linked into. Raises EOSError when it has none.
std::string OwnRawResource(int id);
