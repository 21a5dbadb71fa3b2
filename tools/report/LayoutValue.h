// The current user's ButtonLayout value, read the way an install run reads
// it, and sorted by what the run would make of it.
#pragma once

#include <cstdint>
#include <vector>

#include "RegistryAccessor.h"

enum class LayoutValueKind {
  KeyMissing,    // no CommandBar key
  KeyRefused,    // the registry refused to let us read the key
  Missing,       // the key has no ButtonLayout value
  Bytes,         // binary (or untyped) data an install run accepts
  TooLong,       // binary data longer than an install run reads
  WrongType,     // a text or a number, which an install run refuses
  Unreadable,    // the value changed while it was read
};

struct LayoutValue {
  LayoutValueKind kind;
  RegistryValueInfo info;           // type and size, where the value exists
  std::vector<std::uint8_t> bytes;  // for Bytes and TooLong
};

LayoutValue ReadLayoutValue();
