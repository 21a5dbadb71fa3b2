#include "StandardOutputText.h"

#include <cstdio>

void StandardOutputText::Write(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}
