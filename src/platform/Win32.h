// The one place that brings in the Win32 API: the real one when building for
// Windows, the stand-in otherwise. Only platform sources and test support
// include this header.
#pragma once

#ifdef _WIN32
#include <windows.h>
// shellapi.h needs what windows.h declares first.
#include <shellapi.h>
#else
#include "Win32StandIn.h"
#endif
