#pragma once

#include <string>

/// Full path of the running executable in UTF-8, as the system reports it
/// for the process's own module. Raises EOSError rather than return a cut-off path.
std::string ExecutablePath();
