// The hand-off of a document or URL to the shell.
#pragma once

#include <cstdint>
#include <string>

/// Asks the shell to open `target` with its default verb: no owner window,
/// no parameters, no directory, shown normally. Answers the shell's result;
/// above 32 means accepted, otherwise the reason is in the last error.
std::uintptr_t ShellExecuteDefaultVerb(const std::string& target);
