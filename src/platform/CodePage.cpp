#include "CodePage.h"

#include "WideText.h"
#include "Win32.h"

std::string InCodePage(const std::string& utf8, unsigned codePage) {
  const WideText wide = Widen(utf8);
  return NarrowTo(codePage, wide.data(), wide.size() - 1);
}

std::string Utf8FromAnsi(const std::string& ansi) {
  const WideText wide = WidenFrom(CP_ACP, ansi);
  return Utf8From(wide.data(), wide.size() - 1);
}

bool SameAnsiTextIgnoringCase(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                        b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  const WideText wideA = Widen(a);
  const WideText wideB = Widen(b);
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wideA.data(), -1, wideB.data(), -1) ==
         CSTR_EQUAL;
}
