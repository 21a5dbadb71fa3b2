// Whether this 32-bit program runs on 64-bit Windows, where the registry
// shows it a 32-bit view of the machine's software keys.
#pragma once

/// True when the process runs under WOW64, or is the 64-bit test twin; false
/// on 32-bit Windows, and when the system cannot say.
bool RunsOn64BitWindows();
