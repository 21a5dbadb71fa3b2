#include "Exceptions.h"

void Check(bool condition, const char* text) {
  if (!condition) throw EAssertionFailed(text);
}

std::string FormatMessageText(const char* format, std::initializer_list<std::string> arguments) {
  const std::string pattern(format);
  std::string text;
  std::size_t from = 0;
  for (const std::string& argument : arguments) {
    const auto at = pattern.find("%s", from);
    if (at == std::string::npos) break;
    text.append(pattern, from, at - from).append(argument);
    from = at + 2;
  }
  return text.append(pattern, from, std::string::npos);
}
