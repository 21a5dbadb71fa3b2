// The stand-in's DLLs: the few system libraries the program loads at run
// time, all in the system directory, with the exports it looks up. Loads are
// counted so that tests can see what a run loaded and whether it let go.
#include <algorithm>
#include <cstring>
#include <map>

#include "Internal.h"
#include "StandInControl.h"

namespace standin {

const char kSystemDirectory[] = "C:\\windows\\system32";

namespace {

constexpr DWORD kValidSearchFlags =
    LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_APPLICATION_DIR |
    LOAD_LIBRARY_SEARCH_USER_DIRS | LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS;

template <typename Function>
FARPROC Export(Function* function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

struct Image {
  const char* fileName;
  ULONG_PTR base;
  std::map<std::string, FARPROC> exports;
};

const std::vector<Image>& Images() {
  static const std::vector<Image> images = {
      {"kernel32.dll",
       0x7B600000,
       {{"SetDefaultDllDirectories", Export(&::SetDefaultDllDirectories)}}},
      {"ntdll.dll", 0x7BC00000, {{"NtDeleteKey", Export(&::NtDeleteKey)}}},
      {"user32.dll", 0x7E000000, {{"CharNextA", Export(&::CharNextA)}}},
      {"shell32.dll", 0x7C000000, {{"ShellExecuteA", Export(&::ShellExecuteA)}}},
      {"ole32.dll", 0x7D000000, {{"CoCreateGuid", Export(&::CoCreateGuid)}}},
  };
  return images;
}

struct Libraries {
  std::map<std::string, int> references;  // by lower-case file name
  std::map<std::string, DWORD> loadFaults;
  bool hasSetDefaultDllDirectories = true;
  DllSearch search = DllSearch::Standard;
};

Libraries& State() {
  static Libraries libraries;
  return libraries;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return text;
}

const Image* ImageNamed(const std::string& fileName) {
  for (const Image& image : Images()) {
    if (Lower(fileName) == image.fileName) return &image;
  }
  return nullptr;
}

const Image* ImageAt(HMODULE module) {
  for (const Image& image : Images()) {
    if (reinterpret_cast<ULONG_PTR>(module) == image.base) return &image;
  }
  return nullptr;
}

// ntdll and kernel32 are in every process; the others only while loaded.
bool IsLoaded(const Image& image) {
  return std::strcmp(image.fileName, "kernel32.dll") == 0 ||
         std::strcmp(image.fileName, "ntdll.dll") == 0 ||
         State().references.count(image.fileName) > 0;
}

HMODULE Handle(const Image& image) { return reinterpret_cast<HMODULE>(image.base); }

template <typename Result>
Result Fail(DWORD error, Result result) {
  SetLastError(error);
  return result;
}

// The system directory holds every DLL there is; a name without a directory
// is found there whatever the search order, a path elsewhere finds nothing.
const Image* Locate(const std::string& name) {
  const auto cut = name.find_last_of("\\/");
  if (cut == std::string::npos) return ImageNamed(name);
  if (Lower(name.substr(0, cut)) != Lower(kSystemDirectory)) return nullptr;
  return ImageNamed(name.substr(cut + 1));
}

}  // namespace

void ResetLibraries() { State() = Libraries(); }

void FailLibraryLoads(const std::string& fileName, DWORD error) {
  State().loadFaults[Lower(fileName)] = error;
}

void RemoveSetDefaultDllDirectories() { State().hasSetDefaultDllDirectories = false; }

DllSearch CurrentDllSearch() { return State().search; }

std::vector<std::string> LoadedLibraries() {
  std::vector<std::string> names;
  for (const auto& entry : State().references) names.push_back(entry.first);
  return names;
}

}  // namespace standin

using standin::State;

HMODULE LoadLibraryExA(LPCSTR fileName, HANDLE file, DWORD) {
  standin::RecordCall(std::string("LoadLibraryExA ") + (fileName ? fileName : "(null)"));
  if (fileName == nullptr || file != nullptr)
    return standin::Fail(ERROR_INVALID_PARAMETER, HMODULE{});
  const standin::Image* image = standin::Locate(fileName);
  if (image == nullptr) return standin::Fail(ERROR_MOD_NOT_FOUND, HMODULE{});
  const auto fault = State().loadFaults.find(image->fileName);
  if (fault != State().loadFaults.end()) return standin::Fail(fault->second, HMODULE{});
  ++State().references[image->fileName];
  return standin::Handle(*image);
}

BOOL FreeLibrary(HMODULE module) {
  const standin::Image* image = standin::ImageAt(module);
  standin::RecordCall(std::string("FreeLibrary ") + (image ? image->fileName : "(unknown)"));
  const auto loaded = image ? State().references.find(image->fileName) : State().references.end();
  if (loaded == State().references.end()) return standin::Fail(ERROR_MOD_NOT_FOUND, FALSE);
  if (--loaded->second == 0) State().references.erase(loaded);
  return TRUE;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procedureName) {
  const standin::Image* image = standin::ImageAt(module);
  if (image == nullptr || !standin::IsLoaded(*image)) {
    return standin::Fail(ERROR_MOD_NOT_FOUND, FARPROC{});
  }
  const bool removed = std::strcmp(procedureName, "SetDefaultDllDirectories") == 0 &&
                       !State().hasSetDefaultDllDirectories;
  const auto found = image->exports.find(procedureName);
  if (removed || found == image->exports.end())
    return standin::Fail(ERROR_PROC_NOT_FOUND, FARPROC{});
  return found->second;
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  if (moduleName == nullptr) return standin::Fail(ERROR_INVALID_PARAMETER, HMODULE{});
  std::string name = moduleName;
  if (name.find('.') == std::string::npos) name += ".dll";  // as Windows completes it
  const standin::Image* image = standin::ImageNamed(name);
  if (image == nullptr || !standin::IsLoaded(*image)) {
    return standin::Fail(ERROR_MOD_NOT_FOUND, HMODULE{});
  }
  return standin::Handle(*image);
}

UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
  const auto length = static_cast<UINT>(std::strlen(standin::kSystemDirectory));
  if (buffer == nullptr || size <= length) return length + 1;  // the size it needs
  std::memcpy(buffer, standin::kSystemDirectory, length + 1);
  return length;
}

BOOL SetDefaultDllDirectories(DWORD directoryFlags) {
  if (directoryFlags == 0 || (directoryFlags & ~standin::kValidSearchFlags) != 0) {
    return standin::Fail(ERROR_INVALID_PARAMETER, FALSE);
  }
  // No combination of these flags searches the current directory.
  State().search = directoryFlags == LOAD_LIBRARY_SEARCH_SYSTEM32
                       ? standin::DllSearch::SystemDirectoryOnly
                       : standin::DllSearch::WithoutCurrentDirectory;
  return TRUE;
}

BOOL SetDllDirectoryA(LPCSTR pathName) {
  // The default directories, once set, decide alone.
  if (State().search == standin::DllSearch::SystemDirectoryOnly) return TRUE;
  State().search = pathName == nullptr ? standin::DllSearch::Standard
                                       : standin::DllSearch::WithoutCurrentDirectory;
  return TRUE;
}
