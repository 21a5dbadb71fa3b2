// The whole inspection: what an install run left in the registry, and what
// is wrong with it. It only reads.
#pragma once

class TextOut;

/// Writes the report to `out`; returns the number of problems found.
int InspectVorlinde(TextOut& out);

/// /CheckMachine: the machine part, and the per-user agent's registration
/// that brings the button to each user (Active Setup, its Version no lower
/// than the latest event recorded).
int InspectMachineAndAgent(TextOut& out);
