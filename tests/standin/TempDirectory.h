// A fresh directory under /tmp for one test, removed with everything in it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "StandInControl.h"

class TempDirectory {
 public:
  TempDirectory() {
    char pattern[] = "/tmp/vorlinde-test.XXXXXX";
    const char* made = mkdtemp(pattern);
    posix_ = made ? made : "";
  }
  ~TempDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(posix_, ignored);
  }
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  bool valid() const { return !posix_.empty(); }
  const std::string& Posix() const { return posix_; }
  /// The Windows name of the directory, or of `name` inside it.
  std::string Windows(const std::string& name = "") const {
    return standin::WindowsPath(posix_) + (name.empty() ? "" : "\\" + name);
  }

 private:
  std::string posix_;
};
