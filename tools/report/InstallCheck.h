// The whole inspection: what an install run left in the registry, and what
// is wrong with it; and the one change the inspector makes when asked.
#pragma once

#include <ostream>

/// Writes the report to `out`; returns the number of problems found.
int InspectVorlinde(std::ostream& out);

/// Deletes the copies of the extension key that Windows redirected to the
/// current user's VirtualStore, and nothing else. True when none is left.
bool RemoveVirtualizedInstall(std::ostream& out);
