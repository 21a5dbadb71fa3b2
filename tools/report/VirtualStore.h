// Windows' VirtualStore: where the machine-hive writes of a program without
// administrative rights and without a manifest that asks for an execution
// level end up, in the current user's own hive, out of the browser's sight.
#pragma once

#include <string>
#include <vector>

#include "RegistryAccessor.h"

/// Where a redirected copy of the program's extension key can stand, as
/// absolute paths under HKEY_CURRENT_USER: the plain form (32-bit Windows)
/// and the WOW6432Node form (a 32-bit program on 64-bit Windows).
std::vector<std::string> VirtualStoreCopyPaths();

/// Those of them that exist now.
std::vector<std::string> ExistingVirtualStoreCopies();

/// While it lives, accessors see the VirtualStore's paths as they are written.
class VirtualStoreView {
 public:
  VirtualStoreView();

 private:
  RegistryViewScope scope_;
};
