// The current user's ButtonLayout value, read the way an install run reads
// it, and sorted by what the run would make of it.
#pragma once

#include <cstdint>
#include <vector>

enum class LayoutValueKind {
  KeyMissing,    // no CommandBar key
  KeyNotOpened,  // the key exists but does not open with full access
  Missing,       // the key has no ButtonLayout value
  Bytes,         // binary (or untyped) data an install run accepts
  TooLong,       // binary data longer than an install run reads
  Text,          // REG_SZ or REG_EXPAND_SZ
  Number,        // REG_DWORD
};

struct LayoutValue {
  LayoutValueKind kind;
  std::vector<std::uint8_t> bytes;  // for Bytes and TooLong
};

/// The most an install run reads.
constexpr std::int32_t kLayoutCapacity = 2048;

LayoutValue ReadLayoutValue();
