#include "NamedMutex.h"

#include "Advapi32.h"
#include "ScopedHandle.h"
#include "WideText.h"
#include "Win32.h"

namespace {

// A security descriptor the system hands out, freed with LocalFree; here
// alone, so that no program that takes no turn links the call.
struct LocalMemoryTraits {
  using Type = HLOCAL;
  static constexpr Type invalid() { return nullptr; }
  static void close(Type memory) { LocalFree(memory); }  // nothing to do if it fails
};

using ScopedLocalMemory = ScopedHandle<LocalMemoryTraits>;

// Owned by Administrators, and only they and SYSTEM may open it: no other
// account can wait for it, let alone hold it. Naming Administrators the
// owner needs a token that holds them, so a run that is not elevated makes
// nothing.
constexpr char kAdministratorsOnly[] = "O:BAD:P(A;;GA;;;BA)(A;;GA;;;SY)";

HANDLE CreateNamed(const std::string& name, MutexAccess access) {
  if (access == MutexAccess::Account) return CreateMutexW(nullptr, FALSE, Widen(name).data());
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!Advapi32().ConvertStringSecurityDescriptorToSecurityDescriptorW(
          Widen(kAdministratorsOnly).data(), SDDL_REVISION_1, &descriptor, nullptr)) {
    return nullptr;
  }
  const ScopedLocalMemory owned(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  return CreateMutexW(&attributes, FALSE, Widen(name).data());
}

// A "Global\" name is anyone's to make first, with a DACL of their choosing:
// a mutex that stood already is ours only when Administrators or SYSTEM own
// it, which no other account can make them.
bool OwnedByAdministrators(HANDLE mutex, std::uint32_t& error) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  error = Advapi32().GetSecurityInfo(mutex, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                                     nullptr, nullptr, nullptr, &descriptor);
  const ScopedLocalMemory owned(descriptor);
  return error == ERROR_SUCCESS && (Advapi32().IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
                                    Advapi32().IsWellKnownSid(owner, WinLocalSystemSid));
}

}  // namespace

NamedMutexClaim::NamedMutexClaim(const std::string& name, std::uint32_t waitMilliseconds,
                                 MutexAccess access)
    : mutex_(CreateNamed(name, access)) {
  if (!mutex_) {
    error_ = GetLastError();
    return;
  }
  if (access == MutexAccess::AdministratorsOnly && !OwnedByAdministrators(mutex_.get(), error_)) {
    if (error_ == ERROR_SUCCESS) outcome_ = Outcome::Foreign;
    return;
  }
  switch (WaitForSingleObject(mutex_.get(), waitMilliseconds)) {
    case WAIT_OBJECT_0:
      outcome_ = Outcome::Claimed;
      break;
    case WAIT_ABANDONED:
      outcome_ = Outcome::TakenOver;
      break;
    case WAIT_TIMEOUT:
      outcome_ = Outcome::Busy;
      break;
    default:
      error_ = GetLastError();
      break;
  }
}

NamedMutexClaim::~NamedMutexClaim() {
  if (Held()) ReleaseMutex(mutex_.get());
}
