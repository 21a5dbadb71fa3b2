// Security descriptors as far as the program's machine-wide turn needs them:
// the few forms of the descriptor language it writes, the owner and DACL a
// new kernel object gets, the access check of an open, and LocalFree for
// what the calls hand out.
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "Internal.h"

namespace standin {
namespace {

// S-1-5-32-544, S-1-5-18, S-1-1-0.
const SidBytes kAdministrators = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0};
const SidBytes kLocalSystem = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
const SidBytes kEveryone = {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};

// GENERIC_ALL as a mutex maps it.
constexpr DWORD kGenericAll = 0x10000000u;

struct Descriptor {
  ObjectSecurity security;
  bool namesDacl = false;
};

struct Allocations {
  std::mutex lock;
  std::map<void*, std::unique_ptr<Descriptor>> live;
};

Allocations& State() {
  static Allocations* allocations = new Allocations;  // outlives every thread's end
  return *allocations;
}

void* Allocate(std::unique_ptr<Descriptor> descriptor) {
  void* address = descriptor.get();
  const std::lock_guard<std::mutex> guard(State().lock);
  State().live[address] = std::move(descriptor);
  return address;
}

const Descriptor* Given(const void* address) {
  const std::lock_guard<std::mutex> guard(State().lock);
  const auto found = State().live.find(const_cast<void*>(address));
  return found == State().live.end() ? nullptr : found->second.get();
}

bool Account(const std::string& alias, SidBytes& sid) {
  if (alias == "BA") sid = kAdministrators;
  else if (alias == "SY") sid = kLocalSystem;
  else if (alias == "WD") sid = kEveryone;
  else return false;
  return true;
}

bool Rights(const std::string& text, DWORD& rights) {
  if (text == "GA") {
    rights = kGenericAll;
    return true;
  }
  if (text.size() < 3 || text.compare(0, 2, "0x") != 0 ||
      text.find_first_not_of("0123456789abcdefABCDEF", 2) != std::string::npos) {
    return false;
  }
  rights = static_cast<DWORD>(std::stoul(text.substr(2), nullptr, 16));
  return true;
}

// "(A;;GA;;;BA)": type, flags, rights, object, inherited object, account.
bool Entry(const std::string& text, std::pair<SidBytes, DWORD>& entry) {
  std::vector<std::string> fields(1);
  for (const char c : text) {
    if (c == ';') fields.emplace_back();
    else fields.back() += c;
  }
  return fields.size() == 6 && fields[0] == "A" && fields[1].empty() && fields[3].empty() &&
         fields[4].empty() && Rights(fields[2], entry.second) && Account(fields[5], entry.first);
}

bool Parse(const std::string& text, Descriptor& descriptor) {
  std::size_t at = 0;
  if (text.compare(at, 2, "O:") == 0) {
    if (!Account(text.substr(at + 2, 2), descriptor.security.owner)) return false;
    at += 4;
  }
  if (text.compare(at, 2, "D:") != 0) return at == text.size() && at > 0;
  at += 2;
  if (text.compare(at, 1, "P") == 0) ++at;
  descriptor.namesDacl = descriptor.security.hasDacl = true;
  while (at < text.size()) {
    const std::size_t end = text.find(')', at);
    std::pair<SidBytes, DWORD> entry;
    if (text[at] != '(' || end == std::string::npos ||
        !Entry(text.substr(at + 1, end - at - 1), entry)) {
      return false;
    }
    descriptor.security.allowed.push_back(entry);
    at = end + 1;
  }
  return true;
}

std::vector<SidBytes> ThreadTokenSids() {
  std::vector<SidBytes> sids = {AccountUserSid(), kEveryone};
  if (ThreadTokenElevated()) sids.push_back(kAdministrators);
  return sids;
}

std::size_t SidLength(const BYTE* sid) { return 8 + 4 * static_cast<std::size_t>(sid[1]); }

}  // namespace

void ResetSecurity() {
  const std::lock_guard<std::mutex> guard(State().lock);
  State().live.clear();
}

bool NewObjectSecurity(const SECURITY_ATTRIBUTES* attributes, ObjectSecurity& security,
                       DWORD& error) {
  const bool elevated = ThreadTokenElevated();
  const SidBytes defaultOwner = elevated ? kAdministrators : AccountUserSid();
  security = ObjectSecurity{};
  const Descriptor* given = nullptr;
  if (attributes != nullptr && attributes->lpSecurityDescriptor != nullptr) {
    given = Given(attributes->lpSecurityDescriptor);
    if (given == nullptr) {
      error = ERROR_INVALID_PARAMETER;
      return false;
    }
    security = given->security;
  }
  // An owner must be the token's user or, elevated, Administrators.
  if (!security.owner.empty() && security.owner != AccountUserSid() &&
      !(elevated && security.owner == kAdministrators)) {
    error = ERROR_INVALID_OWNER;
    return false;
  }
  if (security.owner.empty()) security.owner = defaultOwner;
  if (given == nullptr || !given->namesDacl) {
    security.hasDacl = true;
    security.allowed = {{defaultOwner, kGenericAll}, {kLocalSystem, kGenericAll}};
  }
  return true;
}

bool GrantsThread(const ObjectSecurity& security, DWORD rights) {
  if (!security.hasDacl) return true;
  DWORD granted = 0;
  for (const SidBytes& sid : ThreadTokenSids()) {
    for (const auto& entry : security.allowed) {
      if (entry.first == sid) granted |= (entry.second & kGenericAll) != 0 ? MUTEX_ALL_ACCESS : entry.second;
    }
  }
  return (granted & rights) == rights;
}

}  // namespace standin

using namespace standin;

BOOL ConvertStringSecurityDescriptorToSecurityDescriptorW(LPCWSTR text, DWORD revision,
                                                          PSECURITY_DESCRIPTOR* descriptor,
                                                          PULONG size) {
  if (text == nullptr || descriptor == nullptr || revision != SDDL_REVISION_1) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto parsed = std::make_unique<Descriptor>();
  if (!Parse(Utf8FromWide(std::u16string(text)), *parsed)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (size != nullptr) *size = static_cast<std::uint32_t>(sizeof(Descriptor));
  *descriptor = Allocate(std::move(parsed));
  return TRUE;
}

DWORD GetSecurityInfo(HANDLE handle, SE_OBJECT_TYPE type, DWORD information, PSID* owner,
                      PSID* group, PACL* dacl, PACL* sacl, PSECURITY_DESCRIPTOR* descriptor) {
  if (type != SE_KERNEL_OBJECT || information != OWNER_SECURITY_INFORMATION || owner == nullptr ||
      group != nullptr || dacl != nullptr || sacl != nullptr || descriptor == nullptr) {
    return ERROR_INVALID_PARAMETER;
  }
  auto copy = std::make_unique<Descriptor>();
  if (!MutexSecurity(handle, copy->security)) return ERROR_INVALID_HANDLE;
  *owner = copy->security.owner.data();
  *descriptor = Allocate(std::move(copy));
  return ERROR_SUCCESS;
}

BOOL IsWellKnownSid(PSID sid, WELL_KNOWN_SID_TYPE type) {
  const SidBytes* known = type == WinBuiltinAdministratorsSid ? &kAdministrators
                          : type == WinLocalSystemSid         ? &kLocalSystem
                          : type == WinWorldSid               ? &kEveryone
                                                              : nullptr;
  if (sid == nullptr || known == nullptr) return FALSE;
  const BYTE* bytes = static_cast<const BYTE*>(sid);
  return SidLength(bytes) == known->size() && std::memcmp(bytes, known->data(), known->size()) == 0;
}

HLOCAL LocalFree(HLOCAL memory) {
  if (memory == nullptr) return nullptr;
  const std::lock_guard<std::mutex> guard(standin::State().lock);
  if (standin::State().live.erase(memory) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return memory;
  }
  return nullptr;
}
