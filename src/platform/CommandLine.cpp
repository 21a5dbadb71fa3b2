#include "CommandLine.h"

#include "WideText.h"
#include "Win32.h"

namespace {

// Separators and quotes are units below 0x80: no unit of another character,
// a surrogate included, is ever taken for one.
bool IsSeparator(WCHAR unit) { return unit >= 1 && unit <= 32; }

bool IsQuote(WCHAR unit) { return unit == '"'; }

bool EndsUnquotedStretch(WCHAR unit) { return IsQuote(unit) || IsSeparator(unit); }

const WCHAR* SkipSeparators(const WCHAR* at) {
  while (IsSeparator(*at)) ++at;
  return at;
}

// Blanks and lone pairs of quotes in front of an argument count as nothing.
const WCHAR* SkipToArgument(const WCHAR* at) {
  for (at = SkipSeparators(at); IsQuote(at[0]) && IsQuote(at[1]); at = SkipSeparators(at + 2)) {
  }
  return at;
}

// Appends the units up to `stop` (or the end of the line) to `argument`.
const WCHAR* TakeUntil(const WCHAR* at, bool (*stop)(WCHAR), WideText& argument) {
  for (; *at != 0 && !stop(*at); ++at) argument.push_back(*at);
  return at;
}

const WCHAR* TakeArgument(const WCHAR* at, WideText& argument) {
  for (;;) {
    at = TakeUntil(at, EndsUnquotedStretch, argument);
    if (!IsQuote(*at)) return at;
    at = TakeUntil(at + 1, IsQuote, argument);
    if (*at == 0) return at;  // a quote left open runs to the end of the line
    ++at;
  }
}

std::vector<std::string> SplitUnits(const WCHAR* line) {
  std::vector<std::string> arguments;
  for (const WCHAR* at = SkipToArgument(line); *at != 0; at = SkipToArgument(at)) {
    WideText argument;
    at = TakeArgument(at, argument);
    arguments.push_back(Utf8From(argument.data(), argument.size()));
  }
  return arguments;
}

int Count(const WideText& text) { return static_cast<int>(text.size() - 1); }

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& line) {
  return SplitUnits(Widen(line).data());
}

std::vector<std::string> SplitCommandLine() { return SplitUnits(GetCommandLineW()); }

bool IsCommandLineSwitch(const std::string& argument, const std::string& name) {
  if (argument.empty() || (argument[0] != '-' && argument[0] != '/')) return false;
  const WideText rest = Widen(argument.substr(1));
  const WideText wideName = Widen(name);
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, rest.data(), Count(rest),
                        wideName.data(), Count(wideName)) == CSTR_EQUAL;
}

bool HasCommandLineSwitch(const std::string& name) {
  const std::vector<std::string> arguments = SplitCommandLine();
  // The first argument is the program path, whatever it looks like.
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (IsCommandLineSwitch(arguments[i], name)) return true;
  }
  return false;
}
