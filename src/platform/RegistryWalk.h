// The one link-safe walk down the registry, which our own keys and the
// deletion of whole trees both take: a base opened as every program opens
// it, then each name below it opened as itself, one at a time (the option
// that opens a link itself governs the last name of a path only), stopping
// at the first link.
#pragma once

#include <cstdint>
#include <string>

#include "Handles.h"
#include "RegistryAccessor.h"
#include "RegistryTree.h"

/// Rights a key on the way is opened with: enough to see whether it is a
/// link. The accessor's read rights.
inline constexpr std::uint32_t kLookRights = static_cast<std::uint32_t>(RegistryRights::Read);

/// Where a walk ended.
struct RegistryWalk {
  RegistryTreeEntry entry;   // Key: reached; Link, LinkAbove: the link that ended it; else Missing
  ScopedRegistryKey key;     // the key, or the link in its place, opened as itself
  bool refused = false;      // Missing because a key on the way stands but would not open
  std::uint32_t status = 0;  // the system's code that ended the walk short; 0 otherwise
};

/// Walks from `base` (absolute below `root`, in `view`) down to `path`
/// below it: the last key is opened with `lastRights`, the keys on the way
/// with kLookRights; missing keys are created when `create` holds (the base
/// too, and the keys on the way are then opened with the right to create
/// below them). A `path` that is not below `base`, or holds an empty name,
/// finds nothing.
RegistryWalk WalkAsItself(RegistryRoot root, RegistryView view, const std::string& base,
                          const std::string& path, std::uint32_t lastRights, bool create);

/// `name` below `parent`, opened as itself with `rights`: a link there is
/// opened, not followed. Empty when it does not open.
ScopedRegistryKey OpenKeyAsItself(void* parent, const std::string& name, std::uint32_t rights);

/// Whether `key`, opened as itself, is a link; if so, its target ("?" when
/// it does not read).
bool IsRegistryLink(void* key, std::string& target);
