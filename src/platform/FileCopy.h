// Files the inspector puts in place: a folder, and a copy of a program.
#pragma once

#include <string>

/// Whether `path` names an existing file (not a folder).
bool FileExists(const std::string& path);

/// Creates the folder `path` unless it stands already; raises EOSError.
void EnsureFolder(const std::string& path);

/// Copies the file `from` to `to`, replacing a file there; raises EOSError.
void CopyFileReplacing(const std::string& from, const std::string& to);
