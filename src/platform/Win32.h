// The one place that brings in the Win32 API: the real one when building for
// Windows, the stand-in otherwise. Only platform sources and test support
// include this header.
#pragma once

#ifdef _WIN32
#include <windows.h>
// shellapi.h and objbase.h (CoCreateGuid) need what windows.h declares first.
#include <objbase.h>
#include <shellapi.h>
// The security descriptor language and an object's owner.
#include <aclapi.h>
#include <sddl.h>
#else
#include "Win32StandIn.h"
#endif
