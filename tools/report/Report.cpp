#include "Report.h"

#include <cstdio>

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

std::string HexBytes(const std::uint8_t* bytes, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(bytes[i]));
    if (i > 0) text += ' ';
    text += hex;
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
