#include "CodePage.h"

#include "WideText.h"

std::string InCodePage(const std::string& utf8, unsigned codePage) {
  const WideText wide = Widen(utf8);
  return NarrowTo(codePage, wide.data(), wide.size() - 1);
}
