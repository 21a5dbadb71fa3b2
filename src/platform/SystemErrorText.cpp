#include "SystemErrorText.h"

#include "Exceptions.h"
#include "Win32.h"

namespace {

constexpr DWORD kMessageCapacity = 256;

std::string WithoutTrailingNoise(std::string text) {
  while (!text.empty()) {
    const auto last = static_cast<unsigned char>(text.back());
    if (last > 32 && last != '.') break;
    text.pop_back();
  }
  return text;
}

}  // namespace

std::string SystemErrorText(std::uint32_t code) {
  char buffer[kMessageCapacity] = {};
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
      nullptr, code, 0, buffer, kMessageCapacity, nullptr);
  return WithoutTrailingNoise(std::string(buffer, length));
}

void RaiseLastSystemError() {
  const DWORD code = GetLastError();
  if (code == 0) throw EOSError("Ein Aufruf einer Betriebssystemfunktion ist fehlgeschlagen", 0);
  const std::string message =
      "Systemfehler.  Code: " + std::to_string(static_cast<std::int32_t>(code)) + ".\r\n" +
      SystemErrorText(code);
  throw EOSError(message, code);
}
