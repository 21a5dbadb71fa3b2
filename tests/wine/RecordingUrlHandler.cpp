#include "RecordingUrlHandler.h"

#include "FileTestHelpers.h"
#include "Handles.h"
#include "Win32.h"

namespace {

// The per-user classes key is not consulted by Wine 8's shell; the merged
// view of the machine's classes is, in the view of the shell in this process
// (the 64-bit one in the 64-bit twin).
const char kHttpCommandKey[] = "http\\shell\\open\\command";

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string RecorderPath() {
  const std::string self = testfile::ExecutableStem();
  return self.substr(0, self.rfind('\\') + 1) + "url_recorder.exe";
}

void DeleteDefaultValue(HKEY root, const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  const ScopedRegistryKey owned(key);
  RegDeleteValueA(key, nullptr);
}

}  // namespace

RecordingUrlHandler::RecordingUrlHandler()
    : output_(testfile::ExecutableStem() + "_urls.txt"),
      command_(Quoted(RecorderPath()) + " " + Quoted(output_) + " \"%1\""),
      previous_(testreg::GetValue(HKEY_CLASSES_ROOT, kHttpCommandKey, "", testreg::kProcessView)) {
  testfile::Remove(output_);
  testreg::SetValue(HKEY_CLASSES_ROOT, kHttpCommandKey, "", REG_SZ, testreg::Sz(command_),
                    testreg::kProcessView);
}

RecordingUrlHandler::~RecordingUrlHandler() {
  if (previous_.exists) {
    testreg::SetValue(HKEY_CLASSES_ROOT, kHttpCommandKey, "", previous_.type, previous_.bytes,
                      testreg::kProcessView);
  } else {
    DeleteDefaultValue(HKEY_CLASSES_ROOT, kHttpCommandKey);
  }
  testfile::Remove(output_);
}

std::string RecordingUrlHandler::CommandLineFor(const std::string& url) const {
  return Quoted(RecorderPath()) + " " + Quoted(output_) + " " + Quoted(url);
}

std::string RecordingUrlHandler::WaitForCommandLine(int seconds) const {
  constexpr DWORD kPollMilliseconds = 100;
  for (int waited = 0; waited <= seconds * 1000; waited += kPollMilliseconds) {
    const std::string bytes = testfile::Read(output_).bytes;
    const auto end = bytes.find("\r\n");
    if (end != std::string::npos) return bytes.substr(0, end);
    Sleep(kPollMilliseconds);
  }
  return std::string();
}
