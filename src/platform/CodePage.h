// Text in one code page: the program keeps UTF-8, and a file whose bytes
// are fixed keeps one code page whatever the system's.
#pragma once

#include <string>

/// `utf8` in the code page `codePage`, for bytes that must stay those of one
/// code page whatever the system's; a character it lacks becomes "?".
std::string InCodePage(const std::string& utf8, unsigned codePage);
