#include "CommandLine.h"

#include "CodePage.h"
#include "Win32.h"

namespace {

// Every step goes through CharNextA: the trail byte of a double-byte
// character is never looked at on its own, so it can be neither a quote nor
// a separator.
bool IsSeparator(const char* at) {
  const auto byte = static_cast<unsigned char>(*at);
  return byte >= 1 && byte <= 32;
}

const char* SkipSeparators(const char* at) {
  while (IsSeparator(at)) at = CharNextA(at);
  return at;
}

// Blanks and lone pairs of quotes in front of an argument count as nothing.
const char* SkipToArgument(const char* at) {
  for (at = SkipSeparators(at); at[0] == '"' && at[1] == '"'; at = SkipSeparators(at)) {
    at = CharNextA(CharNextA(at));
  }
  return at;
}

// Appends the characters up to `stop` (or the end of the line) to `argument`.
const char* TakeUntil(const char* at, bool (*stop)(const char*), std::string& argument) {
  while (*at != '\0' && !stop(at)) {
    const char* next = CharNextA(at);
    argument.append(at, next);
    at = next;
  }
  return at;
}

bool IsQuote(const char* at) { return *at == '"'; }

bool EndsUnquotedStretch(const char* at) { return IsQuote(at) || IsSeparator(at); }

const char* TakeArgument(const char* at, std::string& argument) {
  for (;;) {
    at = TakeUntil(at, EndsUnquotedStretch, argument);
    if (!IsQuote(at)) return at;
    at = TakeUntil(CharNextA(at), IsQuote, argument);
    if (*at == '\0') return at;  // a quote left open runs to the end of the line
    at = CharNextA(at);
  }
}

}  // namespace

std::vector<std::string> SplitCommandLine(const char* line) {
  std::vector<std::string> arguments;
  for (const char* at = SkipToArgument(line); *at != '\0'; at = SkipToArgument(at)) {
    std::string argument;
    at = TakeArgument(at, argument);
    arguments.push_back(argument);
  }
  return arguments;
}

std::vector<std::string> SplitCommandLine() { return SplitCommandLine(GetCommandLineA()); }

bool IsCommandLineSwitch(const std::string& argument, const std::string& name) {
  if (argument.empty() || (argument[0] != '-' && argument[0] != '/')) return false;
  return SameTextIgnoringCase(argument.substr(1), name);
}

bool HasCommandLineSwitch(const std::string& name) {
  const std::vector<std::string> arguments = SplitCommandLine();
  // The first argument is the program path, whatever it looks like.
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (IsCommandLineSwitch(arguments[i], name)) return true;
  }
  return false;
}
