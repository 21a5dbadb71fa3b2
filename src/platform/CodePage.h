// Text between encodings: the program keeps UTF-8, the command line stays in
// the ANSI code page, and a file whose bytes are fixed keeps one code page.
#pragma once

#include <cstddef>
#include <string>

/// `utf8` in the code page `codePage`, for bytes that must stay those of one
/// code page whatever the system's; a character it lacks becomes "?".
std::string InCodePage(const std::string& utf8, unsigned codePage);

/// Text in the ANSI code page (the command line's) as UTF-8, for words the
/// program shows.
std::string Utf8FromAnsi(const std::string& ansi);

/// Whether two texts in the ANSI code page (the command line's) are equal
/// apart from letter case, by the rules of the user's locale.
bool SameAnsiTextIgnoringCase(const std::string& a, const std::string& b);

/// Whether two UTF-8 texts are equal apart from letter case, by the rules of
/// the user's locale.
bool SameTextIgnoringCase(const std::string& a, const std::string& b);
