// Whether this run may remove the button: asked before anything changes, so
// that a refused removal leaves no half-done work. Opens only.
#pragma once

class TextOut;

/// True when the button's key and the Active Setup components may be
/// deleted and written. Otherwise says why: a run without its administrative
/// rights is told to elevate; an elevated run that is refused anyway hears
/// which key refused it.
bool MayRemove(TextOut& out);

/// What a run without its administrative rights is told, here and when the
/// machine's turn refuses it.
inline constexpr char kRemovalNeedsElevation[] =
    "Removal needs an elevated run: open a command prompt with \"Run as administrator\" and run "
    "vorlinde-inspect.exe /Remove there. Nothing was changed.";
