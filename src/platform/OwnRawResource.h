// The bytes a program or DLL carries in its own resources. Windows only:
// no native program has a need for it.
#pragma once

#include <string>

/// The bytes of the raw-data resource `id` of the module (program or DLL)
/// this code is linked into. Raises EOSError when it has none.
std::string OwnRawResource(int id);
