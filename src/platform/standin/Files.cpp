// The stand-in's files: the real POSIX file system under Windows names (as
// Wine maps them), with Windows' creation rules, sharing between the
// stand-in's own handles, last-error codes, and the write faults tests set.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#include "Internal.h"
#include "StandInControl.h"

namespace standin {
namespace {

constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_FILE_EXISTS = 80;
constexpr DWORD ERROR_DIR_NOT_EMPTY = 145;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
constexpr DWORD ERROR_DIRECTORY = 267;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;  // what Wine reports for a plain file

struct OpenFile {
  int descriptor;
  dev_t device;
  ino_t inode;
  DWORD access;
  DWORD share;
};

struct Files {
  std::map<ULONG_PTR, OpenFile> handles;
  // Standard output when it is no console: descriptor 1, never closed here.
  OpenFile processOutput{1, 0, 0, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
  bool processOutputOpen = true;
  ULONG_PTR nextHandle = 0x10000;  // apart from the registry's handle values
  DWORD writeFault = 0;
  int writeLimit = -1;
};

Files& State() {
  static Files files;
  return files;
}

std::string Text(LPCSTR name) { return name ? name : "(null)"; }

std::string PosixName(LPCSTR name) { return PosixPath(FullWindowsPath(name)); }

bool IsDirectory(const std::string& posixPath) {
  struct stat info {};
  return stat(posixPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ParentOf(const std::string& posixPath) {
  const auto cut = posixPath.find_last_of('/');
  return cut == std::string::npos || cut == 0 ? "/" : posixPath.substr(0, cut);
}

// The Windows code for a failed POSIX call on `posixPath`.
DWORD ErrorFrom(int error, const std::string& posixPath) {
  switch (error) {
    case ENOENT: return IsDirectory(ParentOf(posixPath)) ? ERROR_FILE_NOT_FOUND
                                                         : ERROR_PATH_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ENOSPC: return ERROR_DISK_FULL;
    default: return ERROR_GEN_FAILURE;
  }
}

template <typename Result>
Result Fail(DWORD error, Result result) {
  SetLastError(error);
  return result;
}

OpenFile* Find(HANDLE handle) {
  if (handle == ProcessOutputHandle()) {
    return State().processOutputOpen ? &State().processOutput : nullptr;
  }
  const auto found = State().handles.find(reinterpret_cast<ULONG_PTR>(handle));
  return found == State().handles.end() ? nullptr : &found->second;
}

// Windows refuses an open that the sharing of an open handle does not allow,
// or whose own sharing does not allow what an open handle is doing.
bool ConflictsWith(const OpenFile& open, DWORD access, DWORD share) {
  const auto denies = [](DWORD wanted, DWORD allowed) {
    return ((wanted & GENERIC_READ) && !(allowed & FILE_SHARE_READ)) ||
           ((wanted & GENERIC_WRITE) && !(allowed & FILE_SHARE_WRITE));
  };
  return denies(access, open.share) || denies(open.access, share);
}

bool IsHeldOpen(const struct stat& info, DWORD access, DWORD share) {
  return std::any_of(State().handles.begin(), State().handles.end(), [&](const auto& entry) {
    const OpenFile& open = entry.second;
    return open.device == info.st_dev && open.inode == info.st_ino &&
           ConflictsWith(open, access, share);
  });
}

bool IsHeldWithoutDeleteSharing(const struct stat& info) {
  return std::any_of(State().handles.begin(), State().handles.end(), [&](const auto& entry) {
    const OpenFile& open = entry.second;
    return open.device == info.st_dev && open.inode == info.st_ino &&
           !(open.share & FILE_SHARE_DELETE);
  });
}

// -1 for a disposition Windows does not know.
int CreationFlags(DWORD creation) {
  switch (creation) {
    case CREATE_NEW: return O_CREAT | O_EXCL;
    case CREATE_ALWAYS: return O_CREAT | O_TRUNC;
    case OPEN_EXISTING: return 0;
    case OPEN_ALWAYS: return O_CREAT;
    case TRUNCATE_EXISTING: return O_TRUNC;
    default: return -1;
  }
}

int AccessFlags(DWORD access) {
  const bool reads = access & GENERIC_READ;
  const bool writes = access & GENERIC_WRITE;
  return reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
}

HANDLE NewHandle(int descriptor, DWORD access, DWORD share) {
  struct stat info {};
  fstat(descriptor, &info);
  const ULONG_PTR value = State().nextHandle;
  State().nextHandle += 4;
  State().handles[value] = OpenFile{descriptor, info.st_dev, info.st_ino, access, share};
  return reinterpret_cast<HANDLE>(value);
}

HANDLE OpenPosix(const std::string& path, DWORD access, DWORD share, DWORD creation) {
  struct stat before {};
  const bool existed = stat(path.c_str(), &before) == 0;
  if (existed && S_ISDIR(before.st_mode)) return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
  if (existed && IsHeldOpen(before, access, share)) {
    return Fail(ERROR_SHARING_VIOLATION, INVALID_HANDLE_VALUE);
  }
  const int creationFlags = CreationFlags(creation);
  if (creationFlags < 0) return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  const int descriptor = open(path.c_str(), AccessFlags(access) | creationFlags | O_CLOEXEC, 0666);
  if (descriptor < 0) return Fail(ErrorFrom(errno, path), INVALID_HANDLE_VALUE);
  // Success still tells whether an existing file was opened or replaced.
  const bool reportsExisting = creation == CREATE_ALWAYS || creation == OPEN_ALWAYS;
  SetLastError(existed && reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return NewHandle(descriptor, access, share);
}

// Writes all of `count` bytes unless the system refuses; answers the POSIX
// error, or 0.
int WriteAll(int descriptor, const char* data, std::size_t count) {
  while (count > 0) {
    const ssize_t done = write(descriptor, data, count);
    if (done < 0 && errno == EINTR) continue;
    if (done < 0) return errno;
    data += done;
    count -= static_cast<std::size_t>(done);
  }
  return 0;
}

}  // namespace

void ResetFiles() {
  for (const auto& entry : State().handles) close(entry.second.descriptor);
  State() = Files();
}

void FailFileWrites(DWORD error) { State().writeFault = error; }
DWORD FileWriteFault() { return State().writeFault; }
void LimitFileWrites(int bytes) { State().writeLimit = bytes; }
int OpenFileCount() { return static_cast<int>(State().handles.size()); }

}  // namespace standin

using namespace standin;

HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                   DWORD creation, DWORD, HANDLE) {
  RecordCall("CreateFileA " + Text(fileName));
  if (fileName == nullptr || *fileName == '\0') {
    return Fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
  }
  return OpenPosix(PosixName(fileName), access, shareMode, creation);
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED) {
  RecordCall("WriteFile " + std::to_string(toWrite));
  if (written) *written = 0;
  OpenFile* open = Find(file);
  const bool console = open == nullptr && IsConsoleHandle(file);
  if (open == nullptr && !console) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (written == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (open && !(open->access & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (State().writeFault != 0) return Fail(State().writeFault, FALSE);
  DWORD count = toWrite;
  if (State().writeLimit >= 0) count = std::min(count, static_cast<DWORD>(State().writeLimit));
  if (console) {
    AppendConsoleBytes(static_cast<const char*>(buffer), count);
  } else if (const int error = WriteAll(open->descriptor, static_cast<const char*>(buffer), count)) {
    return Fail(ErrorFrom(error, ""), FALSE);
  }
  *written = count;
  return TRUE;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
  RecordCall("ReadFile " + std::to_string(toRead));
  if (read) *read = 0;
  OpenFile* open = Find(file);
  if (open == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (read == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (!(open->access & GENERIC_READ)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  ssize_t done;
  do {
    done = ::read(open->descriptor, buffer, toRead);
  } while (done < 0 && errno == EINTR);
  if (done < 0) return Fail(ErrorFrom(errno, ""), FALSE);
  *read = static_cast<DWORD>(done);  // 0 at the end of the file, and still success
  return TRUE;
}

BOOL CloseHandle(HANDLE object) {
  RecordCall("CloseHandle");
  if (object == ProcessOutputHandle() && State().processOutputOpen) {
    State().processOutputOpen = false;  // the descriptor stays the process's
    return TRUE;
  }
  if (CloseTokenHandle(object) || CloseMutexHandle(object)) return TRUE;
  OpenFile* open = Find(object);
  if (open == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
  close(open->descriptor);
  State().handles.erase(reinterpret_cast<ULONG_PTR>(object));
  return TRUE;
}

DWORD GetFullPathNameA(LPCSTR fileName, DWORD size, LPSTR buffer, LPSTR* filePart) {
  RecordCall("GetFullPathNameA " + Text(fileName));
  if (fileName == nullptr) return Fail(ERROR_INVALID_PARAMETER, 0u);
  if (*fileName == '\0') return Fail(ERROR_INVALID_NAME, 0u);
  const std::string full = FullWindowsPath(fileName);
  const auto length = static_cast<DWORD>(full.size());
  // Too small: nothing is copied, and the answer counts the terminator.
  if (buffer == nullptr || size <= length) return length + 1;
  std::memcpy(buffer, full.c_str(), full.size() + 1);
  if (filePart) {
    const auto cut = full.find_last_of('\\');
    *filePart = cut + 1 < full.size() ? buffer + cut + 1 : nullptr;
  }
  return length;
}

BOOL DeleteFileA(LPCSTR fileName) {
  RecordCall("DeleteFileA " + Text(fileName));
  if (fileName == nullptr || *fileName == '\0') return Fail(ERROR_PATH_NOT_FOUND, FALSE);
  const std::string path = PosixName(fileName);
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return Fail(ERROR_ACCESS_DENIED, FALSE);
    if (IsHeldWithoutDeleteSharing(info)) return Fail(ERROR_SHARING_VIOLATION, FALSE);
  }
  if (unlink(path.c_str()) != 0) return Fail(ErrorFrom(errno, path), FALSE);
  return TRUE;
}

BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES) {
  RecordCall("CreateDirectoryA " + Text(pathName));
  if (pathName == nullptr || *pathName == '\0') return Fail(ERROR_PATH_NOT_FOUND, FALSE);
  const std::string path = PosixName(pathName);
  if (mkdir(path.c_str(), 0777) == 0) return TRUE;
  return Fail(errno == EEXIST ? ERROR_ALREADY_EXISTS : ErrorFrom(errno, path), FALSE);
}

BOOL CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists) {
  RecordCall("CopyFileA " + Text(existingFileName) + " " + Text(newFileName));
  if (existingFileName == nullptr || newFileName == nullptr) {
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  }
  const std::string from = PosixName(existingFileName);
  const std::string to = PosixName(newFileName);
  const int source = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (source < 0) return Fail(ErrorFrom(errno, from), FALSE);
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC);
  const int target = open(to.c_str(), flags, 0666);
  if (target < 0) {
    const DWORD error = ErrorFrom(errno, to);
    close(source);
    return Fail(error, FALSE);
  }
  char buffer[4096];
  int error = 0;
  for (ssize_t got; error == 0 && (got = read(source, buffer, sizeof buffer)) != 0;) {
    error = got < 0 ? errno : WriteAll(target, buffer, static_cast<std::size_t>(got));
  }
  close(source);
  close(target);
  return error == 0 ? TRUE : Fail(ErrorFrom(error, to), FALSE);
}

BOOL RemoveDirectoryA(LPCSTR pathName) {
  RecordCall("RemoveDirectoryA " + Text(pathName));
  if (pathName == nullptr || *pathName == '\0') return Fail(ERROR_PATH_NOT_FOUND, FALSE);
  const std::string path = PosixName(pathName);
  if (rmdir(path.c_str()) == 0) return TRUE;
  return Fail(errno == ENOTDIR ? ERROR_DIRECTORY : ErrorFrom(errno, path), FALSE);
}

DWORD GetFileAttributesA(LPCSTR fileName) {
  RecordCall("GetFileAttributesA " + Text(fileName));
  if (fileName == nullptr || *fileName == '\0') {
    return Fail(ERROR_PATH_NOT_FOUND, INVALID_FILE_ATTRIBUTES);
  }
  const std::string path = PosixName(fileName);
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return Fail(ErrorFrom(errno, path), INVALID_FILE_ATTRIBUTES);
  return S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
}
