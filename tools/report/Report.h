// Where the inspection writes: text for the reader, and a count of the
// things it found wrong, each with what to do about it.
#pragma once

#include <cstdint>
#include <string>

#include "RegistryAccessor.h"
#include "TextOut.h"

class Report {
 public:
  explicit Report(TextOut& out) : out_(out) {}

  TextOut& Out() { return out_; }
  /// Names one cause of trouble, and in a second sentence what to do.
  void Problem(const std::string& what, const std::string& whatToDo);
  int Problems() const { return problems_; }

 private:
  TextOut& out_;
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
/// `text` padded with blanks to `width` characters, for a column.
std::string Padded(std::string text, std::size_t width);
/// `text` with blanks before it to `width` characters, for a column of numbers.
std::string RightAligned(const std::string& text, std::size_t width);
