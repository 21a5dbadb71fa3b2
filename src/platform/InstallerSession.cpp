#include "InstallerSession.h"

#include "Exceptions.h"
#include "SystemErrorText.h"
#include "WideText.h"
#include "Win32.h"

namespace {

using MsiHandle = unsigned long;
using GetPropertyCall = UINT(WINAPI*)(MsiHandle, const WCHAR*, WCHAR*, DWORD*);
using CreateRecordCall = MsiHandle(WINAPI*)(UINT);
using RecordSetStringCall = UINT(WINAPI*)(MsiHandle, UINT, const WCHAR*);
using ProcessMessageCall = int(WINAPI*)(MsiHandle, int, MsiHandle);
using CloseHandleCall = UINT(WINAPI*)(MsiHandle);

constexpr int kInformationMessage = 0x04000000;  // INSTALLMESSAGE_INFO

template <typename Call>
Call Find(const SystemLibrary& msi, const char* name) {
  return reinterpret_cast<Call>(msi.Find(name));
}

// One record of the session, closed when it goes.
class Record {
 public:
  Record(const SystemLibrary& msi, UINT fields)
      : close_(Find<CloseHandleCall>(msi, "MsiCloseHandle")),
        handle_(Find<CreateRecordCall>(msi, "MsiCreateRecord")(fields)) {
    if (handle_ == 0) throw EOSError("The installer made no record for a log line", 0);
  }
  ~Record() { close_(handle_); }
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;
  MsiHandle Get() const { return handle_; }

 private:
  CloseHandleCall close_;
  MsiHandle handle_;
};

}  // namespace

InstallerSession::InstallerSession(unsigned long handle) : handle_(handle), msi_("msi.dll") {}

std::string InstallerSession::Property(const std::string& name) const {
  // Wide: a folder's name may hold what the ANSI code page cannot.
  const auto get = Find<GetPropertyCall>(msi_, "MsiGetPropertyW");
  const WideText wideName = Widen(name);
  WideText value(MAX_PATH);
  for (;;) {
    DWORD length = static_cast<DWORD>(value.size());
    const UINT result = get(handle_, wideName.data(), value.data(), &length);
    if (result == ERROR_SUCCESS) return Utf8From(value.data(), length);
    if (result != ERROR_MORE_DATA) {
      throw EOSError("The installer gave no property " + name + ": " + SystemErrorText(result),
                     result);
    }
    value.resize(length + 1);
  }
}

void InstallerSession::Log(const std::string& text) const {
  const Record record(msi_, 1);
  // Field 0 is the message's format: "[1]" is the text as it is, whatever
  // brackets it holds.
  const auto setString = Find<RecordSetStringCall>(msi_, "MsiRecordSetStringW");
  setString(record.Get(), 0, Widen("[1]").data());
  setString(record.Get(), 1, Widen(text).data());
  Find<ProcessMessageCall>(msi_, "MsiProcessMessage")(handle_, kInformationMessage, record.Get());
}
