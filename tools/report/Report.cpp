#include "Report.h"

void Report::Problem(const std::string& what, const std::string& whatToDo) {
  out_ << "  PROBLEM: " << what << "\n";
  out_ << "    What to do: " << whatToDo << "\n";
  ++problems_;
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string RightAligned(const std::string& text, std::size_t width) {
  return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

// By hand: the C runtime's formatted output would bring its whole printf
// machinery into the program for two hex digits.
std::string HexBytes(const std::uint8_t* bytes, std::size_t count) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) text += ' ';
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0xF];
  }
  return text;
}

std::string TypeName(RegistryValueType type) {
  static const struct {
    RegistryValueType type;
    const char* name;
  } kNames[] = {
      {RegistryValueType::None, "REG_NONE"},
      {RegistryValueType::Text, "REG_SZ"},
      {RegistryValueType::ExpandableText, "REG_EXPAND_SZ"},
      {RegistryValueType::Binary, "REG_BINARY"},
      {RegistryValueType::Number, "REG_DWORD"},
      {RegistryValueType::BigEndianNumber, "REG_DWORD_BIG_ENDIAN"},
      {RegistryValueType::Link, "REG_LINK"},
      {RegistryValueType::TextList, "REG_MULTI_SZ"},
      {RegistryValueType::Number64, "REG_QWORD"},
  };
  for (const auto& entry : kNames) {
    if (entry.type == type) return entry.name;
  }
  return "type " + std::to_string(static_cast<std::uint32_t>(type));
}

std::string TypeAndSize(const RegistryValueInfo& info) {
  return TypeName(info.type) + ", " + std::to_string(info.size) +
         (info.size == 1 ? " byte" : " bytes");
}
