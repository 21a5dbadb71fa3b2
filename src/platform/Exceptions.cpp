#include "Exceptions.h"

void Check(bool condition, const char* text) {
  if (!condition) throw EAssertionFailed(text);
}

std::string FormatMessageText(const char* format, const std::string& argument) {
  std::string text(format);
  const auto at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, argument);
  return text;
}
