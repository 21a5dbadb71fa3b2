// DLLs come from the system directory only. The program imports nothing at
// load time beyond what every run needs; the rest is loaded here, by full
// path, when a run needs it, so that no DLL planted beside the program or in
// the current directory is ever found.
#pragma once

#include "Handles.h"

/// Restricts the DLL search of the whole process to the system directory.
/// Called first thing at start, before anything can load a DLL.
void RestrictDllSearch();

/// One DLL of the system directory, loaded while the object lives.
class SystemLibrary {
 public:
  /// An exported function, to be cast to its real type.
  using Procedure = void (*)();

  /// Loads `fileName` ("shell32.dll") from the system directory; raises
  /// EOSError from the last error when it cannot.
  explicit SystemLibrary(const char* fileName);

  /// The export `name`; raises EOSError from the last error when missing.
  Procedure Find(const char* name) const;

  /// Leaves the DLL loaded for the rest of the process, as an import is, so
  /// that what was found in it outlives this object.
  void KeepLoaded() { module_.release(); }

 private:
  ScopedLibraryModule module_;
};
