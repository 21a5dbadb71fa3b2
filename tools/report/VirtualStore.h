// Windows' VirtualStore: where the machine-hive writes of a program without
// administrative rights and without a manifest that asks for an execution
// level end up, in the current user's own hive, out of the browser's sight.
#pragma once

#include <string>
#include <vector>

#include "RegistryAccessor.h"
#include "RegistryTree.h"

/// The view the VirtualStore's paths are read in, as they are written.
/// Windows shares the VirtualStore between the registry views, so the 64-bit
/// view changes nothing there, and 32-bit Windows ignores it; Wine, though,
/// redirects a 32-bit program below any key that has a WOW6432Node subkey,
/// and would show both paths as the one copy in WOW6432Node.
constexpr RegistryView kVirtualStoreView = RegistryView::Bits64;

/// Where a redirected copy of the program's extension key can stand, as
/// absolute paths under HKEY_CURRENT_USER: the plain form (32-bit Windows)
/// and the WOW6432Node form (a 32-bit program on 64-bit Windows).
std::vector<std::string> VirtualStoreCopyPaths();

/// What stands in those places now, no registry link followed: copies,
/// links in their place, links on the way there; each named once.
std::vector<RegistryTreeEntry> ExistingVirtualStoreCopies();

/// "HKEY_CURRENT_USER\..." for a copy; for a link, "the registry link
/// HKEY_CURRENT_USER\... to \REGISTRY\...".
std::string DescribeVirtualStoreEntry(const RegistryTreeEntry& entry);
