// The whole inspection: what an install run left in the registry, and what
// is wrong with it. It only reads.
#pragma once

class TextOut;

/// Writes the report to `out`; returns the number of problems found.
int InspectVorlinde(TextOut& out);
