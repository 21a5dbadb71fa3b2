// One step of an action that writes, as the package's log and the
// inspector's console show it: "Step: <step>", and when it fails,
// "Step failed: <step>" with the reason.
#pragma once

#include "Exceptions.h"
#include "TextOut.h"

/// Runs `body`, which answers whether the step succeeded; a raised Exception
/// fails it as well, with its message.
template <typename Body>
bool RunStep(TextOut& out, const char* step, Body body) {
  out << "Step: " << step << "\n";
  try {
    if (body()) return true;
    out << "Step failed: " << step << " (the lines above say why).\n";
  } catch (const Exception& e) {
    out << "Step failed: " << step << ": " << e.Message() << "\n";
  }
  return false;
}
