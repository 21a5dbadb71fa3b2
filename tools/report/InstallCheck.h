// The whole inspection: what an install run left in the registry, and what
// is wrong with it.
#pragma once

#include <ostream>

/// Writes the report to `out`; returns the number of problems found.
int InspectVorlinde(std::ostream& out);
