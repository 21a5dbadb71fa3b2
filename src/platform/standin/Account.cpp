// The account the stand-in's process runs as: its token, the token's user
// (one SID of the machine's own accounts) and elevation, and the account
// name that SID maps to.
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>

#include "Internal.h"
#include "StandInControl.h"

namespace standin {
namespace {

// S-1-5-21-1000-2000-3000-1001: revision 1, five sub-authorities, the NT
// authority (5), then the sub-authorities as little-endian numbers.
constexpr BYTE kUserSid[] = {1, 5, 0,    0,    0, 0, 0,    5,    21, 0, 0,    0,    0xE8, 0x03,
                             0, 0, 0xD0, 0x07, 0, 0, 0xB8, 0x0B, 0,  0, 0xE9, 0x03, 0,    0};

struct Account {
  std::string domain = "STANDIN";
  std::string user = "user";
  bool elevated = true;
  DWORD tokenFault = 0;
  std::map<ULONG_PTR, DWORD> tokens;  // open ones, with the rights granted
  ULONG_PTR nextToken = 0x20000;
};

Account& State() {
  static Account account;
  return account;
}

// A thread that plays another process of the account, with a token of its
// own elevation: 1 or 0, or -1 for the account's.
thread_local int threadElevation = -1;

// The rights granted on an open token; null for a handle that is none.
const DWORD* TokenRights(HANDLE handle) {
  const auto found = State().tokens.find(reinterpret_cast<ULONG_PTR>(handle));
  return found == State().tokens.end() ? nullptr : &found->second;
}

template <typename Unit>
bool Fits(const std::basic_string<Unit>& text, Unit* buffer, LPDWORD capacity) {
  return buffer != nullptr && *capacity > text.size();
}

// The text and its terminator; the size answered leaves the terminator out.
template <typename Unit>
void CopyName(const std::basic_string<Unit>& text, Unit* buffer, LPDWORD capacity) {
  std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(Unit));
  *capacity = static_cast<DWORD>(text.size());
}

// The names are kept in UTF-8, and given in the units the call asks for.
std::string Names(char, const std::string& utf8) { return AnsiFromUtf8(utf8); }
std::basic_string<WCHAR> Names(WCHAR, const std::string& utf8) {
  const std::u16string wide = WideFromUtf8(utf8);
  return std::basic_string<WCHAR>(wide.begin(), wide.end());
}

}  // namespace

void ResetAccount() {
  State() = Account();
  threadElevation = -1;
}

SidBytes AccountUserSid() { return SidBytes(std::begin(kUserSid), std::end(kUserSid)); }

bool ThreadTokenElevated() { return threadElevation < 0 ? State().elevated : threadElevation == 1; }

void SetThreadElevation(bool elevated) { threadElevation = elevated ? 1 : 0; }

bool CloseTokenHandle(HANDLE handle) {
  const CallTurn turn;
  return State().tokens.erase(reinterpret_cast<ULONG_PTR>(handle)) != 0;
}

void SetAccount(const std::string& domain, const std::string& user, bool elevated) {
  State().domain = domain;
  State().user = user;
  State().elevated = elevated;
}

void FailProcessToken(DWORD error) { State().tokenFault = error; }

int OpenTokenCount() { return static_cast<int>(State().tokens.size()); }

}  // namespace standin

using namespace standin;

BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, PHANDLE token) {
  const CallTurn turn;
  char rights[16];
  std::snprintf(rights, sizeof rights, "0x%lX", static_cast<unsigned long>(desiredAccess));
  RecordCall(std::string("OpenProcessToken ") + rights);
  if (process != GetCurrentProcess() || token == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *token = nullptr;
  if (State().tokenFault != 0) {
    SetLastError(State().tokenFault);
    return FALSE;
  }
  // A process may do anything with its own token.
  const ULONG_PTR value = State().nextToken;
  State().nextToken += 4;
  State().tokens[value] = desiredAccess;
  *token = reinterpret_cast<HANDLE>(value);
  return TRUE;
}

BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS informationClass, LPVOID information,
                         DWORD length, PDWORD returnLength) {
  const CallTurn turn;
  const DWORD* rights = TokenRights(token);
  if (rights == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if ((*rights & TOKEN_QUERY) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (returnLength == nullptr) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  if (informationClass == TokenUser) {
    // The SID follows the structure that points to it, in the same buffer.
    *returnLength = sizeof(TOKEN_USER) + sizeof kUserSid;
    if (information == nullptr || length < *returnLength) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    auto* user = static_cast<TOKEN_USER*>(information);
    BYTE* sid = static_cast<BYTE*>(information) + sizeof(TOKEN_USER);
    std::memcpy(sid, kUserSid, sizeof kUserSid);
    user->User.Sid = sid;
    user->User.Attributes = 0;
    return TRUE;
  }
  if (informationClass == TokenElevation) {
    *returnLength = sizeof(TOKEN_ELEVATION);
    if (information == nullptr || length < *returnLength) {
      SetLastError(ERROR_BAD_LENGTH);  // a class of fixed size
      return FALSE;
    }
    static_cast<TOKEN_ELEVATION*>(information)->TokenIsElevated = ThreadTokenElevated() ? 1 : 0;
    return TRUE;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

// Only the process's own user is known; an empty user name plays an account
// deleted since the logon, whose SID maps to no name.
namespace {

template <typename Unit>
BOOL LookupAccountSid(const Unit* systemName, PSID sid, Unit* name, LPDWORD nameSize, Unit* domain,
                      LPDWORD domainSize, PSID_NAME_USE use) {
  if (sid == nullptr || nameSize == nullptr || domainSize == nullptr || use == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if ((systemName != nullptr && *systemName != 0) ||
      std::memcmp(sid, kUserSid, sizeof kUserSid) != 0 || State().user.empty()) {
    SetLastError(ERROR_NONE_MAPPED);
    return FALSE;
  }
  const auto user = Names(Unit{}, State().user);
  const auto domainName = Names(Unit{}, State().domain);
  // Both sizes are answered, terminators included, when either falls short.
  if (!Fits(user, name, nameSize) || !Fits(domainName, domain, domainSize)) {
    *nameSize = static_cast<DWORD>(user.size() + 1);
    *domainSize = static_cast<DWORD>(domainName.size() + 1);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  CopyName(user, name, nameSize);
  CopyName(domainName, domain, domainSize);
  *use = SidTypeUser;
  return TRUE;
}

}  // namespace

BOOL LookupAccountSidA(LPCSTR systemName, PSID sid, LPSTR name, LPDWORD nameSize, LPSTR domain,
                       LPDWORD domainSize, PSID_NAME_USE use) {
  return LookupAccountSid(systemName, sid, name, nameSize, domain, domainSize, use);
}

BOOL LookupAccountSidW(LPCWSTR systemName, PSID sid, LPWSTR name, LPDWORD nameSize, LPWSTR domain,
                       LPDWORD domainSize, PSID_NAME_USE use) {
  return LookupAccountSid(systemName, sid, name, nameSize, domain, domainSize, use);
}
