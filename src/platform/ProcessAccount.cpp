#include "ProcessAccount.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Advapi32.h"
#include "Handles.h"
#include "WideText.h"
#include "Win32.h"

namespace {

ScopedKernelObject OwnToken() {
  HANDLE token = nullptr;
  if (!Advapi32().OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) token = nullptr;
  return ScopedKernelObject(token);
}

// The token's user, in a buffer that holds the SID it points to.
std::vector<BYTE> TokenUserOf(HANDLE token) {
  DWORD size = 0;
  if (Advapi32().GetTokenInformation(token, TokenUser, nullptr, 0, &size) ||
      GetLastError() != ERROR_INSUFFICIENT_BUFFER || size < sizeof(TOKEN_USER)) {
    return {};
  }
  std::vector<BYTE> buffer(size);
  if (!Advapi32().GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return {};
  return buffer;
}

std::size_t UpToZero(const std::vector<WCHAR>& text, DWORD length) {
  const auto zero = std::find(text.begin(), text.end(), WCHAR{0});
  return std::min<std::size_t>(length, static_cast<std::size_t>(zero - text.begin()));
}

}  // namespace

std::string CurrentAccountName() {
  const ScopedKernelObject token = OwnToken();
  if (!token) return std::string();
  const std::vector<BYTE> user = TokenUserOf(token.get());
  if (user.empty()) return std::string();
  const PSID sid = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;

  // The first call asks for the sizes, terminators included.
  DWORD nameSize = 0;
  DWORD domainSize = 0;
  SID_NAME_USE use{};
  if (Advapi32().LookupAccountSidW(nullptr, sid, nullptr, &nameSize, nullptr, &domainSize, &use) ||
      GetLastError() != ERROR_INSUFFICIENT_BUFFER || nameSize == 0) {
    return std::string();
  }
  std::vector<WCHAR> wideName(nameSize, 0);
  std::vector<WCHAR> wideDomain(domainSize + 1, 0);
  if (!Advapi32().LookupAccountSidW(nullptr, sid, wideName.data(), &nameSize, wideDomain.data(),
                                    &domainSize, &use)) {
    return std::string();
  }
  // Up to the terminator: Wine counts it in the lengths it gives back.
  const std::string name = Utf8From(wideName.data(), UpToZero(wideName, nameSize));
  const std::string domain = Utf8From(wideDomain.data(), UpToZero(wideDomain, domainSize));
  // Accounts such as "Everyone" belong to no domain.
  return domain.empty() ? name : domain + "\\" + name;
}

// A SID's own layout: revision, count, a 48-bit authority (big-endian),
// then that many 32-bit sub-authorities, within the buffer that holds it.
std::string CurrentAccountSid() {
  const ScopedKernelObject token = OwnToken();
  if (!token) return std::string();
  const std::vector<BYTE> user = TokenUserOf(token.get());
  if (user.empty()) return std::string();
  const auto* sid =
      static_cast<const BYTE*>(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
  const std::ptrdiff_t room = user.data() + user.size() - sid;
  if (sid < user.data() || room < 8 || room < 8 + 4 * std::ptrdiff_t{sid[1]}) return std::string();
  std::uint64_t authority = 0;
  for (int i = 2; i < 8; ++i) authority = authority << 8 | sid[i];
  std::string text = "S-" + std::to_string(sid[0]) + "-" + std::to_string(authority);
  for (int i = 0; i < sid[1]; ++i) {
    DWORD part = 0;
    std::memcpy(&part, sid + 8 + 4 * i, sizeof part);
    text += "-" + std::to_string(part);
  }
  return text;
}

Elevation CurrentElevation() {
  const ScopedKernelObject token = OwnToken();
  if (!token) return Elevation::Unknown;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!Advapi32().GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation,
                                      &size)) {
    return Elevation::Unknown;
  }
  return elevation.TokenIsElevated ? Elevation::Elevated : Elevation::NotElevated;
}
