#include "CodePage.h"

#include <cstring>

#include "Win32.h"

bool IsDoubleByteCodePage() {
  CPINFO info{};
  return GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1;
}

std::size_t FindLastDelimiter(const std::string& text, const char* delimiters) {
  // Only a forward scan knows where characters start: a byte can be a trail
  // byte or a character of its own depending on what precedes it.
  std::size_t found = std::string::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (i + 1 < text.size() && IsDBCSLeadByte(byte)) {
      ++i;  // skip the trail byte
    } else if (byte != 0 && std::strchr(delimiters, byte) != nullptr) {
      found = i;
    }
  }
  return found;
}

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                        b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}
