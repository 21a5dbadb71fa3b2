// Who this process runs as: the account whose part of the registry a run
// sees, and whether Windows gave it its administrative rights.
#pragma once

#include <string>

/// "DOMAIN\user" of the account the process runs as, in UTF-8 as every
/// text the program holds; empty when the system cannot say.
std::string CurrentAccountName();

/// The account's SID as text ("S-1-5-21-..."), the same in every session
/// and on every machine the account logs on to; empty when the system
/// cannot say.
std::string CurrentAccountSid();

enum class Elevation { Elevated, NotElevated, Unknown };

/// Whether the process runs elevated; Unknown when the system cannot say
/// (before Windows Vista, or when the process may not read its own token).
Elevation CurrentElevation();
