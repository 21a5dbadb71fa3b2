// The access flags that name a registry view, for every open and create.
#pragma once

#include "RegistryAccessor.h"
#include "Win32.h"

static_assert(static_cast<REGSAM>(RegistryView::Bits32) == KEY_WOW64_32KEY, "view flags");
static_assert(static_cast<REGSAM>(RegistryView::Bits64) == KEY_WOW64_64KEY, "view flags");

/// A 32-bit program's own view on 64-bit Windows is the 32-bit one. The
/// 64-bit build of the same sources, a test twin of the programs, names that
/// view itself, so that it reads and writes exactly what the 32-bit program
/// does there.
inline REGSAM ViewFlags(RegistryView view) {
#ifdef _WIN64
  if (view == RegistryView::Own) return KEY_WOW64_32KEY;
#endif
  return static_cast<REGSAM>(view);
}
