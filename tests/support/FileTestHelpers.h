// File set-up and inspection for tests, through the system's own calls, so
// that the same tests run on the stand-in and under Wine.
#pragma once

#include <string>
#include <vector>

#include "Handles.h"

namespace testfile {

struct StoredFile {
  bool exists = false;
  std::string bytes;
};

/// The whole content of `name`, read through CreateFileA and ReadFile.
StoredFile Read(const std::string& name);
/// Creates or replaces `name` with exactly `bytes`.
void Write(const std::string& name, const std::string& bytes);
bool Exists(const std::string& name);
/// An empty file `name` where there is none (one that is there is kept).
void EnsureExists(const std::string& name);
bool IsDirectory(const std::string& name);
void MakeDirectory(const std::string& name);
/// Deletes a file or an empty directory; a missing one is no error.
void Remove(const std::string& name);

/// This test program's path without its ".exe", the stem of the names that
/// the program's routines derive from it.
std::string ExecutableStem();

/// `name` opened for reading and writing without any sharing, for as long
/// as the object lives, as another program holding it open would.
class HeldOpen {
 public:
  explicit HeldOpen(const std::string& name);
  bool valid() const { return file_.valid(); }

 private:
  ScopedFileHandle file_;
};

/// Names that a test creates; removed (last first) before and after it.
class Scratch {
 public:
  explicit Scratch(std::vector<std::string> names) : names_(std::move(names)) { Clear(); }
  ~Scratch() { Clear(); }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

 private:
  void Clear();
  std::vector<std::string> names_;
};

}  // namespace testfile
