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
