// Windows' VirtualStore: where the machine-hive writes of a program without
// administrative rights and without a manifest that asks for an execution
// level end up, in the current user's own hive, out of the browser's sight.
#pragma once

#include <string>
#include <vector>

#include "RegistryAccessor.h"
#include "RegistryTree.h"

/// Where a redirected copy of the program's extension key can stand, as
/// absolute paths under HKEY_CURRENT_USER: the plain form (32-bit Windows)
/// and the WOW6432Node form (a 32-bit program on 64-bit Windows).
std::vector<std::string> VirtualStoreCopyPaths();

/// Those of them that hold a copy now, no registry link followed.
std::vector<std::string> ExistingVirtualStoreCopies();

/// The registry links that stand in those places or on the way there, each
/// named once. Never Windows' doing; never followed.
std::vector<RegistryTreeEntry> VirtualStoreLinks();

/// "the registry link HKEY_CURRENT_USER\... to \REGISTRY\...".
std::string DescribeVirtualStoreLink(const RegistryTreeEntry& link);

/// Windows shares the VirtualStore between the registry views, so the 64-bit
/// view changes nothing there, and 32-bit Windows ignores it; Wine, though,
/// redirects a 32-bit program below any key that has a WOW6432Node subkey,
/// and would show both paths as the one copy in WOW6432Node.
constexpr RegistryView kVirtualStoreView = RegistryView::Bits64;
