// What our tools change, each only when its caller was asked to (a switch
// of vorlinde-inspect, the agent's run, the package's actions). Each writes
// what it did to `out` and answers the process's exit code.
#pragma once

#include <string>

class TextOut;

/// /RemoveVirtualized: deletes the copies of the extension key that Windows
/// redirected to the current user's VirtualStore, and nothing else.
int RemoveVirtualizedInstall(TextOut& out);

/// /Remove: takes the button out of the machine and this user's layout, and
/// leaves a fix-up for every other user's layout at their next logon: the
/// agent at `agentSource` is copied to Common Files and Active Setup runs
/// the copy. Run again after a stop, it completes what the stop left.
int RemoveButton(TextOut& out, const std::string& agentSource);

/// /UndoInstall: deletes the machine's extension key and nothing else, for
/// an install that is rolled back before any user's layout could see it.
int UndoInstall(TextOut& out);

/// /RenewIdentity: gives this machine a new identity, for a machine made
/// from an image of another, and its Active Setup component the name that
/// identity gives; no layout changes, and no user's done event becomes due.
int RenewIdentity(TextOut& out);

/// /FixLayout: the per-user agent's run for this user, with words: the button
/// placed after an install, or a recorded removal applied, once.
int FixLayout(TextOut& out);
