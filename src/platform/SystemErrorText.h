#pragma once

#include <cstdint>
#include <string>

/// The system's message text for `code`, without trailing blanks, control
/// characters and periods; empty when the system has none.
std::string SystemErrorText(std::uint32_t code);

/// Raises EOSError for the calling thread's last error code.
[[noreturn]] void RaiseLastSystemError();
