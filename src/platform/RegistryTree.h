// Keys taken as they are stored, for deleting whole trees safely. A registry
// link is a key that stands for another key anywhere in the registry; the
// registry's own calls follow it, so a link planted in a tree to be deleted
// would have them delete what it leads to. Here no link below the starting
// key is ever followed: a link is named, or deleted itself.
#pragma once

#include <string>

#include "RegistryAccessor.h"

/// What stands at a path when no link on it is followed.
struct RegistryTreeEntry {
  enum class Kind {
    Missing,    // nothing there, or nothing that opens for reading
    Key,        // a key
    Link,       // a link in the key's place
    LinkAbove,  // a link on the way to the key's place
  };
  Kind kind = Kind::Missing;
  std::string path;    // the key or the link, absolute below the root
  std::string target;  // where a link leads, as the system names it ("\REGISTRY\MACHINE\...")
};

/// Looks for the key at `path` (absolute, "\A\B\C", below `base`) under
/// `root`, in the registry view `view`. `base` is opened as every program
/// opens it, through the links the system itself lays out (on Windows the
/// current user's "\Software\Classes" is one); below it each key is opened
/// as itself, and the first link met ends the search.
RegistryTreeEntry FindRegistryTree(RegistryRoot root, RegistryView view, const std::string& base,
                                   const std::string& path);

/// Deletes what FindRegistryTree finds at `path`, when it is the key or a
/// link in its place, with everything below it: a link there or further
/// down is deleted itself, never what it leads to. Deletes nothing when a
/// link stands on the way. True when nothing is left in the key's place.
bool DeleteRegistryTree(RegistryRoot root, RegistryView view, const std::string& base,
                        const std::string& path);
