#include "FileTestHelpers.h"

#include <gtest/gtest.h>

#include "ExecutablePath.h"
#include "Win32.h"

namespace testfile {

StoredFile Read(const std::string& name) {
  StoredFile stored;
  // Sharing writes too: a reader must not keep another program from writing.
  const ScopedFileHandle file(CreateFileA(name.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return stored;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    stored.bytes.append(buffer, read);
  }
  stored.exists = true;
  return stored;
}

void Write(const std::string& name, const std::string& bytes) {
  const ScopedFileHandle file(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.valid()) << name << ": error " << GetLastError();
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                        nullptr));
  ASSERT_EQ(written, bytes.size());
}

bool Exists(const std::string& name) {
  return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void EnsureExists(const std::string& name) {
  if (!Exists(name)) Write(name, "");
}

bool IsDirectory(const std::string& name) {
  const DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void MakeDirectory(const std::string& name) {
  ASSERT_TRUE(CreateDirectoryA(name.c_str(), nullptr)) << name << ": error " << GetLastError();
}

void Remove(const std::string& name) {
  if (IsDirectory(name)) {
    RemoveDirectoryA(name.c_str());
  } else {
    DeleteFileA(name.c_str());
  }
}

std::string ExecutableStem() {
  const std::string path = ExecutablePath();
  const std::string extension = ".exe";
  const bool hasExtension = path.size() > extension.size() &&
                            path.compare(path.size() - extension.size(), extension.size(),
                                         extension) == 0;
  return hasExtension ? path.substr(0, path.size() - extension.size()) : path;
}

HeldOpen::HeldOpen(const std::string& name)
    : file_(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr)) {}

void Scratch::Clear() {
  for (auto name = names_.rbegin(); name != names_.rend(); ++name) Remove(*name);
}

}  // namespace testfile
