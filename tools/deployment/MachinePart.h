// The machine part of an install, without any user's layout: the button's
// extension key with the icons in a given folder, checked, and the per-user
// agent in that folder registered with a new event stamp, so that each
// user's layout gets the button at their next logon. The package's install
// and repair write it so, and so does vorlinde-inspect.exe
// /InstallMachinePart, from the inspector's own folder.
#pragma once

#include <string>

class TextOut;

/// How every tool words the way to write the machine part again: one home,
/// so that no advice says less than the others. A string literal, so that
/// the advice around it joins it where it is written.
#define VORLINDE_WRITE_MACHINE_PART                                                       \
  "from a command prompt opened with \"Run as administrator\", run vorlinde-inspect.exe " \
  "/InstallMachinePart in the folder that holds vorlinde.exe and shop.ico (a package "    \
  "install: repair it instead)"

/// The check of the machine part that must pass before the agent is
/// registered; answers the number of problems it named.
using MachinePartCheck = int (*)(TextOut& out);

/// Writes the machine part for the programs in `folder` (ending in a
/// backslash), step by step; true when every step succeeded. A registry link
/// in the extension key's place is named and left, and nothing is written
/// through it. The agent comes last: a failed check leaves its component as
/// it stood (after a removal it may still owe some users their fix-up). The
/// install is recorded for the agent's placement, unless this is a repair
/// or an upgrade of a recorded one; a new install notes itself under way
/// before its key, so that a run stopped after the key finishes as the new
/// install it began. All of it under the machine's turn.
bool WriteMachinePart(TextOut& out, const std::string& folder, MachinePartCheck check);
