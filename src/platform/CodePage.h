// Byte-level text rules of the ANSI code page: in a double-byte code page the
// second byte of a character is never taken for a delimiter.
#pragma once

#include <cstddef>
#include <string>

/// Whether the system's ANSI code page has double-byte characters.
bool IsDoubleByteCodePage();

/// Position of the last byte of `text` that is one of `delimiters` and is a
/// character of its own (not the trail byte of a double-byte character), or
/// std::string::npos.
std::size_t FindLastDelimiter(const std::string& text, const char* delimiters);

/// `utf8` in the code page `codePage`, for bytes that must stay those of one
/// code page whatever the system's; a character it lacks becomes "?".
std::string InCodePage(const std::string& utf8, unsigned codePage);

/// Whether two texts in the ANSI code page (the command line's) are equal
/// apart from letter case, by the rules of the user's locale.
bool SameAnsiTextIgnoringCase(const std::string& a, const std::string& b);

/// Whether two UTF-8 texts are equal apart from letter case, by the rules of
/// the user's locale.
bool SameTextIgnoringCase(const std::string& a, const std::string& b);
