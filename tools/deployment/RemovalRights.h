// Whether this run may remove the button: asked before anything changes, so
// that a refused removal leaves no half-done work. Opens only.
#pragma once

class TextOut;

/// True when the button's key and the Active Setup components may be
/// deleted and written. Otherwise says why: a run without its administrative
/// rights is told to elevate; an elevated run that is refused anyway hears
/// which key refused it.
bool MayRemove(TextOut& out);
