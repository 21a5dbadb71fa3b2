#include "LayoutBytes.h"

#include <cstdio>
#include <sstream>

namespace testreg {

std::string Hex(const std::string& text) {
  std::istringstream in(text);
  std::string bytes;
  unsigned value = 0;
  while (in >> std::hex >> value) bytes += static_cast<char>(value);
  return bytes;
}

std::string ToHex(const std::string& bytes) {
  std::string text;
  char pair[4];
  for (unsigned char byte : bytes) {
    std::snprintf(pair, sizeof pair, "%02X", byte);
    if (!text.empty()) text += ' ';
    text += pair;
  }
  return text;
}

}  // namespace testreg
