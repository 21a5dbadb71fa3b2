// Small text files written whole, and the file names derived for them.
#pragma once

#include <string>
#include <vector>

/// `path` without its extension (the text from its last period on, if that
/// period comes after the last backslash or colon), followed by `suffix`.
std::string ReplaceExtension(const std::string& path, const std::string& suffix);

/// Creates or truncates `fileName` and writes every line followed by CR LF,
/// bytes unchanged, in one write. Raises EFCreateError when the file cannot
/// be created and EWriteError when the system writes less than all of it.
void WriteTextFile(const std::string& fileName, const std::vector<std::string>& lines);
