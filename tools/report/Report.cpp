#include "Report.h"

#include <cstdio>

void Report::Problem(const std::string& text) {
  out_ << "  PROBLEM: " << text << "\n";
  ++problems_;
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
  switch (type) {
    case RegistryValueType::None: return "REG_NONE";
    case RegistryValueType::Text: return "REG_SZ";
    case RegistryValueType::ExpandableText: return "REG_EXPAND_SZ";
    case RegistryValueType::Binary: return "REG_BINARY";
    case RegistryValueType::Number: return "REG_DWORD";
    case RegistryValueType::BigEndianNumber: return "REG_DWORD_BIG_ENDIAN";
    case RegistryValueType::Link: return "REG_LINK";
    case RegistryValueType::TextList: return "REG_MULTI_SZ";
    case RegistryValueType::Number64: return "REG_QWORD";
  }
  return "type " + std::to_string(static_cast<std::uint32_t>(type));
}

std::string TypeAndSize(const RegistryValueInfo& info) {
  return TypeName(info.type) + ", " + std::to_string(info.size) +
         (info.size == 1 ? " byte" : " bytes");
}
