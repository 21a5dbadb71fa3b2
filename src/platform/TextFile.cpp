#include "TextFile.h"

#include "Exceptions.h"
#include "Handles.h"
#include "SystemErrorText.h"
#include "WideText.h"
#include "Win32.h"

namespace {

const char kCreateFailed[] = "Datei \"%s\" kann nicht erstellt werden. %s";
const char kWriteFailed[] = "Stream-Schreibfehler";
constexpr DWORD kFullPathCapacity = 260;

// The name as the message shows it; the name as given when the system
// cannot expand it into the buffer.
std::string FullPathName(const std::string& fileName) {
  WCHAR buffer[kFullPathCapacity] = {};
  const DWORD length = GetFullPathNameW(Widen(fileName).data(), kFullPathCapacity, buffer, nullptr);
  if (length == 0 || length >= kFullPathCapacity) return fileName;
  return Utf8From(buffer, length);
}

[[noreturn]] void RaiseCreateError(const std::string& fileName) {
  // Read first: finding the full name may overwrite the thread's last error.
  const DWORD code = GetLastError();
  throw EFCreateError(
      FormatMessageText(kCreateFailed, {FullPathName(fileName), SystemErrorText(code)}));
}

ScopedFileHandle CreateEmptyFile(const std::string& fileName) {
  ScopedFileHandle file(CreateFileW(Widen(fileName).data(), GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) RaiseCreateError(fileName);
  return file;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::size_t length = 0;
  for (const std::string& line : lines) length += line.size() + 2;
  std::string text;
  text.reserve(length);
  for (const std::string& line : lines) text.append(line).append("\r\n");
  return text;
}

void WriteWhole(const ScopedFileHandle& file, const std::string& text) {
  DWORD written = 0;
  const auto length = static_cast<DWORD>(text.size());
  if (!WriteFile(file.get(), text.data(), length, &written, nullptr) || written != length) {
    throw EWriteError(kWriteFailed);
  }
}

}  // namespace

std::string ReplaceExtension(const std::string& path, const std::string& suffix) {
  // In UTF-8 no byte of a longer character is ASCII: a plain search is exact.
  const std::size_t last = path.find_last_of(".\\:");
  if (last != std::string::npos && path[last] == '.') return path.substr(0, last) + suffix;
  return path + suffix;
}

void WriteTextFile(const std::string& fileName, const std::vector<std::string>& lines) {
  const ScopedFileHandle file = CreateEmptyFile(fileName);
  const std::string text = JoinLines(lines);
  // No lines, no write: the file is left empty.
  if (!text.empty()) WriteWhole(file, text);
}
