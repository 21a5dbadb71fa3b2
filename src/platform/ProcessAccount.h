// Who this process runs as: the account whose part of the registry a run
// sees, and whether Windows gave it its administrative rights.
#pragma once

#include <string>

/// "DOMAIN\user" of the account the process runs as, in UTF-8 as every
/// text the program holds; empty when the system cannot say.
std::string CurrentAccountName();

enum class Elevation { Elevated, NotElevated, Unknown };

/// Whether the process runs elevated; Unknown when the system cannot say
/// (before Windows Vista, or when the process may not read its own token).
Elevation CurrentElevation();
