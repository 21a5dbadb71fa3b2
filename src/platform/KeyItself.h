// One of the program's own keys, opened (or created) as itself: a registry
// link planted in its place or on the way to it is met, named and left
// alone, never followed, so that nothing of ours is written elsewhere.
#pragma once

#include <cstdint>
#include <string>

#include "Handles.h"
#include "RegistryAccessor.h"
#include "RegistryTree.h"

class KeyItself {
 public:
  enum class Outcome {
    Opened,
    Missing,  // not there, and not to be created
    Link,     // a link in the key's place or on the way: see LinkFound()
    Refused,  // the registry refused to open or create a key on the way
  };

  /// Opens `path` (absolute below `root`, below `base`) with `rights` in
  /// `view`. `base` is opened as every program opens it; each key below it
  /// as itself, created when missing and `create` holds.
  KeyItself(RegistryRoot root, RegistryView view, const std::string& base, const std::string& path,
            bool create, RegistryRights rights);

  Outcome Result() const { return outcome_; }
  bool IsOpen() const { return outcome_ == Outcome::Opened; }
  /// The link met, when Result() is Link.
  const RegistryTreeEntry& LinkFound() const { return link_; }
  /// The system's code for a refusal.
  std::uint32_t RefusalCode() const { return refusal_; }
  /// "HKEY_LOCAL_MACHINE\SOFTWARE\...", for the reader.
  std::string Name() const;
  /// Why the key is not open, in words that name it; empty when it is.
  std::string Problem() const;

  /// Writes and reads of the open key's values. A refused write raises
  /// ERegistryException naming the key and the value.
  void WriteText(const std::string& name, const std::string& text);
  void WriteNumber(const std::string& name, std::uint32_t number);
  /// Empty, or `fallback`, when the value is absent or of another type.
  std::string ReadText(const std::string& name);
  std::uint32_t ReadNumber(const std::string& name, std::uint32_t fallback);
  /// What the registry says of the value; absent when the key is not open.
  RegistryValueInfo Query(const std::string& name);
  /// True when the value is gone afterwards.
  bool DeleteValue(const std::string& name);

 private:
  void Walk(const std::string& base, bool create, std::uint32_t rights);
  void Write(const std::string& name, std::uint32_t type, const void* data, std::uint32_t size);

  RegistryRoot root_;
  RegistryView view_;
  std::string path_;
  Outcome outcome_ = Outcome::Missing;
  RegistryTreeEntry link_;
  std::uint32_t refusal_ = 0;
  ScopedRegistryKey key_;
};

/// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER".
const char* RootName(RegistryRoot root);
