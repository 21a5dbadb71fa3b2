// A file of our own in the temporary folder, for as long as it is needed.
// Windows only: no native program has a need for it.
#pragma once

#include <string>

/// A file in the temporary folder holding `bytes`, deleted when the object
/// goes. Raises EOSError when it cannot be made whole.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& bytes);
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& Path() const { return name_.path; }

 private:
  // A member, so that the file goes also when the constructor stops after
  // the name was taken: a constructor that raises runs no destructor of its
  // own class, only those of the members it made.
  struct DeletedWhenGone {
    std::string path;
    ~DeletedWhenGone();
  };
  DeletedWhenGone name_;
};
