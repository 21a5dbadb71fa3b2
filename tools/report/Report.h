// Where the inspection writes: text for the reader, and a count of the
// things it found wrong.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "RegistryAccessor.h"

class Report {
 public:
  explicit Report(std::ostream& out) : out_(out) {}

  std::ostream& Out() { return out_; }
  /// Names something that is wrong, on a line of its own, and counts it.
  void Problem(const std::string& text);
  int Problems() const { return problems_; }

 private:
  std::ostream& out_;
  int problems_ = 0;
};

/// "text" in double quotes, its bytes unchanged.
std::string Quoted(const std::string& text);
/// The bytes as "07 00 00 00".
std::string HexBytes(const std::uint8_t* bytes, std::size_t count);
/// The registry's name of a value type: "REG_SZ", "REG_BINARY", ...;
/// "type 42" for a code without a name.
std::string TypeName(RegistryValueType type);
/// "REG_DWORD, 4 bytes".
std::string TypeAndSize(const RegistryValueInfo& info);
