#include "CommandLine.h"

#include <optional>

#include "CodePage.h"
#include "SystemLibrary.h"
#include "Win32.h"

namespace {

using CharNextFunction = decltype(&CharNextA);

bool IsAscii(const char* line) {
  for (; *line != '\0'; ++line) {
    if (static_cast<unsigned char>(*line) >= 0x80) return false;
  }
  return true;
}

// Steps from character to character as CharNextA does, so that the trail
// byte of a double-byte character is never taken for a quote or a
// separator. A byte below 0x80 is a character of its own in every ANSI code
// page, so a line made of such bytes alone is stepped byte by byte and USER32
// stays unloaded; any other line is stepped by CharNextA throughout.
class CharacterStepper {
 public:
  explicit CharacterStepper(const char* line) {
    if (IsAscii(line)) return;
    user32_.emplace("user32.dll");
    charNext_ = reinterpret_cast<CharNextFunction>(user32_->Find("CharNextA"));
  }

  const char* Next(const char* at) const {
    if (charNext_ != nullptr) return charNext_(at);
    return *at == '\0' ? at : at + 1;
  }

 private:
  std::optional<SystemLibrary> user32_;
  CharNextFunction charNext_ = nullptr;
};

bool IsSeparator(const char* at) {
  const auto byte = static_cast<unsigned char>(*at);
  return byte >= 1 && byte <= 32;
}

bool IsQuote(const char* at) { return *at == '"'; }

bool EndsUnquotedStretch(const char* at) { return IsQuote(at) || IsSeparator(at); }

class LineScanner {
 public:
  explicit LineScanner(const char* line) : step_(line) {}

  // Blanks and lone pairs of quotes in front of an argument count as nothing.
  const char* SkipToArgument(const char* at) const {
    for (at = SkipSeparators(at); at[0] == '"' && at[1] == '"'; at = SkipSeparators(at)) {
      at = step_.Next(step_.Next(at));
    }
    return at;
  }

  const char* TakeArgument(const char* at, std::string& argument) const {
    for (;;) {
      at = TakeUntil(at, EndsUnquotedStretch, argument);
      if (!IsQuote(at)) return at;
      at = TakeUntil(step_.Next(at), IsQuote, argument);
      if (*at == '\0') return at;  // a quote left open runs to the end of the line
      at = step_.Next(at);
    }
  }

 private:
  const char* SkipSeparators(const char* at) const {
    while (IsSeparator(at)) at = step_.Next(at);
    return at;
  }

  // Appends the characters up to `stop` (or the end of the line) to `argument`.
  const char* TakeUntil(const char* at, bool (*stop)(const char*), std::string& argument) const {
    while (*at != '\0' && !stop(at)) {
      const char* next = step_.Next(at);
      argument.append(at, next);
      at = next;
    }
    return at;
  }

  CharacterStepper step_;
};

}  // namespace

std::vector<std::string> SplitCommandLine(const char* line) {
  const LineScanner scanner(line);
  std::vector<std::string> arguments;
  for (const char* at = scanner.SkipToArgument(line); *at != '\0';
       at = scanner.SkipToArgument(at)) {
    std::string argument;
    at = scanner.TakeArgument(at, argument);
    arguments.push_back(argument);
  }
  return arguments;
}

std::vector<std::string> SplitCommandLine() { return SplitCommandLine(GetCommandLineA()); }

bool IsCommandLineSwitch(const std::string& argument, const std::string& name) {
  if (argument.empty() || (argument[0] != '-' && argument[0] != '/')) return false;
  return SameAnsiTextIgnoringCase(argument.substr(1), name);
}

bool HasCommandLineSwitch(const std::string& name) {
  const std::vector<std::string> arguments = SplitCommandLine();
  // The first argument is the program path, whatever it looks like.
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (IsCommandLineSwitch(arguments[i], name)) return true;
  }
  return false;
}
