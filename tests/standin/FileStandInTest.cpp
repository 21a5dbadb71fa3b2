// The stand-in's files answer as Windows (and Wine) do: real files under
// Wine's drive mapping, creation rules, sharing, last errors, full names.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <functional>
#include <fstream>
#include <iterator>

#include "FileTestHelpers.h"
#include "StandInControl.h"
#include "TempDirectory.h"
#include "Win32.h"

namespace {

class FileStandInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::Reset();
    ASSERT_TRUE(temp_.valid());
  }
  void TearDown() override { standin::Reset(); }

  std::string Name(const std::string& name) const { return temp_.Windows(name); }

  static HANDLE Open(const std::string& name, DWORD access, DWORD share, DWORD creation) {
    return CreateFileA(name.c_str(), access, share, nullptr, creation, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  }

  TempDirectory temp_;
};

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

std::string PosixContent(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

TEST_F(FileStandInTest, CreateAlwaysTruncatesAndSaysWhetherTheFileExisted) {
  SetLastError(99);
  ScopedFileHandle first(Open(Name("f.txt"), kReadWrite, 0, CREATE_ALWAYS));
  ASSERT_TRUE(first.valid());
  EXPECT_EQ(GetLastError(), 0u) << "a new file";
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(first.get(), "hello", 5, &written, nullptr));
  first.reset();

  const ScopedFileHandle second(Open(Name("f.txt"), kReadWrite, 0, CREATE_ALWAYS));
  ASSERT_TRUE(second.valid());
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS) << "success, on an existing file";
  EXPECT_EQ(PosixContent(temp_.Posix() + "/f.txt"), "");
}

struct RefusalCase {
  const char* label;
  std::string name;
  DWORD creation;
  DWORD error;
};

TEST_F(FileStandInTest, RefusalsLeaveTheWindowsReasonInTheLastError) {
  testfile::MakeDirectory(Name("dir"));
  testfile::Write(Name("there.txt"), "x");
  const RefusalCase cases[] = {
      {"directory at the name", Name("dir"), CREATE_ALWAYS, ERROR_ACCESS_DENIED},
      {"directory, opened", Name("dir"), OPEN_EXISTING, ERROR_ACCESS_DENIED},
      {"missing directory", Name("none\\f.txt"), CREATE_ALWAYS, ERROR_PATH_NOT_FOUND},
      {"a file taken for a directory", Name("there.txt\\f.txt"), CREATE_ALWAYS,
       ERROR_PATH_NOT_FOUND},
      {"missing file", Name("none.txt"), OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
      {"existing file, new only", Name("there.txt"), CREATE_NEW, 80},
      {"unmapped drive", "C:\\Setup\\install_Button.url", CREATE_ALWAYS, ERROR_PATH_NOT_FOUND},
      {"empty name", "", CREATE_ALWAYS, ERROR_PATH_NOT_FOUND},
      {"unknown disposition", Name("x.txt"), 0, ERROR_INVALID_PARAMETER},
  };
  for (const RefusalCase& c : cases) {
    SetLastError(0);
    const ScopedFileHandle file(Open(c.name, kReadWrite, 0, c.creation));
    EXPECT_FALSE(file.valid()) << c.label;
    EXPECT_EQ(GetLastError(), c.error) << c.label;
  }
  EXPECT_EQ(standin::OpenFileCount(), 0);
}

struct SharingCase {
  DWORD heldAccess;
  DWORD heldShare;
  DWORD access;
  DWORD share;
  bool opens;
};

TEST_F(FileStandInTest, SharingIsHonouredBetweenOpenHandles) {
  const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;
  const SharingCase cases[] = {
      {kReadWrite, 0, GENERIC_READ, kShareAll, false},
      {kReadWrite, 0, kReadWrite, 0, false},
      {GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, true},
      {GENERIC_READ, FILE_SHARE_READ, GENERIC_WRITE, kShareAll, false},
      {GENERIC_READ, kShareAll, GENERIC_READ, FILE_SHARE_WRITE, false},
      {kReadWrite, kShareAll, kReadWrite, kShareAll, true},
  };
  testfile::Write(Name("s.txt"), "x");
  for (const SharingCase& c : cases) {
    const ScopedFileHandle held(Open(Name("s.txt"), c.heldAccess, c.heldShare, OPEN_EXISTING));
    ASSERT_TRUE(held.valid());
    const ScopedFileHandle second(Open(Name("s.txt"), c.access, c.share, OPEN_EXISTING));
    EXPECT_EQ(second.valid(), c.opens) << c.heldAccess << "/" << c.heldShare << " then "
                                       << c.access << "/" << c.share;
    if (!c.opens) {
      EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    }
  }
  const ScopedFileHandle afterwards(Open(Name("s.txt"), kReadWrite, 0, CREATE_ALWAYS));
  EXPECT_TRUE(afterwards.valid()) << "closed handles hold nothing";
}

TEST_F(FileStandInTest, WindowsNamesReachThePosixFiles) {
  testfile::Write(Name("w.txt"), "from windows");
  EXPECT_EQ(PosixContent(temp_.Posix() + "/w.txt"), "from windows");
  std::ofstream(temp_.Posix() + "/p.txt") << "from posix";
  EXPECT_EQ(testfile::Read(Name("p.txt")).bytes, "from posix");
  EXPECT_EQ(testfile::Read("z:" + temp_.Windows().substr(2) + "/p.txt").bytes, "from posix")
      << "drive letter in any case, slashes as separators";
}

// Makes `directory` the current one for as long as the object lives.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::string& directory) {
    char buffer[PATH_MAX] = {};
    saved_ = getcwd(buffer, sizeof buffer) ? buffer : "/";
    changed_ = chdir(directory.c_str()) == 0;
  }
  ~CurrentDirectory() {
    if (changed_ && chdir(saved_.c_str()) != 0) std::abort();
  }
  CurrentDirectory(const CurrentDirectory&) = delete;
  CurrentDirectory& operator=(const CurrentDirectory&) = delete;
  bool changed() const { return changed_; }

 private:
  std::string saved_;
  bool changed_ = false;
};

TEST_F(FileStandInTest, RelativeNamesStartAtTheCurrentDirectory) {
  const CurrentDirectory here(temp_.Posix());
  ASSERT_TRUE(here.changed());
  testfile::Write("rel.txt", "relative");
  EXPECT_EQ(PosixContent(temp_.Posix() + "/rel.txt"), "relative");
}

struct FullNameCase {
  std::string name;
  std::string full;
};

TEST_F(FileStandInTest, FullNamesResolveTheCurrentDirectoryDotsAndSeparators) {
  const CurrentDirectory here(temp_.Posix());
  ASSERT_TRUE(here.changed());
  const std::string cwd = temp_.Windows();  // Z:\tmp\vorlinde-test.XXXXXX
  const FullNameCase cases[] = {
      {"a.txt", cwd + "\\a.txt"},
      {".", cwd},
      {".\\", cwd + "\\"},
      {"..\\x", "Z:\\tmp\\x"},
      {"sub\\..\\..\\..\\..\\x", "Z:\\x"},
      {"\\x\\y", "Z:\\x\\y"},
      {"Z:rel", cwd + "\\rel"},
      {"C:rel", "C:\\rel"},
      {"C:\\a\\.\\b\\..\\c", "C:\\a\\c"},
      {"C:\\a\\\\b", "C:\\a\\b"},
      {"C:/a/b", "C:\\a\\b"},
      {"C:\\a\\b\\", "C:\\a\\b\\"},
      {"C:\\..\\..", "C:\\"},
      {"C:\\", "C:\\"},
      {"c:\\x", "c:\\x"},
      {"C:\\Setup\\install.", "C:\\Setup\\install"},
      {"C:\\Setup\\install. .", "C:\\Setup\\install"},
      {"C:\\my.tools\\install", "C:\\my.tools\\install"},
      {"\\\\srv\\share\\a\\..\\b", "\\\\srv\\share\\b"},
  };
  for (const FullNameCase& c : cases) {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(c.name.c_str(), MAX_PATH, buffer, nullptr);
    EXPECT_EQ(std::string(buffer), c.full) << c.name;
    EXPECT_EQ(length, c.full.size()) << c.name;
  }
}

TEST_F(FileStandInTest, FullNameBufferRules) {
  const std::string name = "C:\\dir\\file.txt";  // 15 characters
  char buffer[32];
  std::fill(std::begin(buffer), std::end(buffer), '#');
  EXPECT_EQ(GetFullPathNameA(name.c_str(), 15, buffer, nullptr), 16u) << "room for the zero";
  EXPECT_EQ(buffer[0], '#') << "nothing copied";
  LPSTR filePart = nullptr;
  EXPECT_EQ(GetFullPathNameA(name.c_str(), 16, buffer, &filePart), 15u);
  EXPECT_STREQ(buffer, name.c_str());
  EXPECT_STREQ(filePart, "file.txt");
  EXPECT_EQ(GetFullPathNameA("C:\\dir\\", 32, buffer, &filePart), 7u);
  EXPECT_EQ(filePart, nullptr) << "no file part after a trailing backslash";
  SetLastError(0);
  EXPECT_EQ(GetFullPathNameA("", 32, buffer, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
}

TEST_F(FileStandInTest, ATrailByteIsNeverASeparatorOfAFullName) {
  const std::string name = "C:\\a\\\x95\x5C..\\x";
  char buffer[MAX_PATH] = {};
  GetFullPathNameA(name.c_str(), MAX_PATH, buffer, nullptr);
  EXPECT_STREQ(buffer, "C:\\a\\x") << "code page 1252: 0x5C is a backslash";
  standin::SetAnsiCodePage(932);
  GetFullPathNameA(name.c_str(), MAX_PATH, buffer, nullptr);
  EXPECT_STREQ(buffer, name.c_str()) << "code page 932: 0x95 0x5C is one character";
}

TEST_F(FileStandInTest, WriteFaultsSetByTests) {
  const ScopedFileHandle file(Open(Name("f.txt"), kReadWrite, 0, CREATE_ALWAYS));
  DWORD written = 99;
  standin::FailFileWrites(ERROR_DISK_FULL);
  EXPECT_FALSE(WriteFile(file.get(), "abcdef", 6, &written, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  EXPECT_EQ(written, 0u);
  standin::FailFileWrites(0);
  standin::LimitFileWrites(4);
  EXPECT_TRUE(WriteFile(file.get(), "abcdef", 6, &written, nullptr));
  EXPECT_EQ(written, 4u);
  standin::LimitFileWrites(-1);
  EXPECT_TRUE(WriteFile(file.get(), "gh", 2, &written, nullptr));
  EXPECT_EQ(written, 2u);
  EXPECT_EQ(PosixContent(temp_.Posix() + "/f.txt"), "abcdgh");
}

TEST_F(FileStandInTest, HandlesRefuseWhatTheyWereNotOpenedFor) {
  testfile::Write(Name("r.txt"), "data");
  const ScopedFileHandle reader(Open(Name("r.txt"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
  DWORD count = 0;
  EXPECT_FALSE(WriteFile(reader.get(), "x", 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  char buffer[8];
  ASSERT_TRUE(ReadFile(reader.get(), buffer, 8, &count, nullptr));
  EXPECT_EQ(std::string(buffer, count), "data");
  ASSERT_TRUE(ReadFile(reader.get(), buffer, 8, &count, nullptr));
  EXPECT_EQ(count, 0u) << "the end of the file is no failure";

  HANDLE unknown = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x4444));
  EXPECT_FALSE(CloseHandle(unknown));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(WriteFile(INVALID_HANDLE_VALUE, "x", 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(FileStandInTest, CallsAreLoggedWithNameOrCount) {
  standin::ClearCallLog();
  HANDLE file = Open(Name("log.txt"), kReadWrite, 0, CREATE_ALWAYS);
  DWORD written = 0;
  WriteFile(file, "12345", 5, &written, nullptr);
  CloseHandle(file);
  EXPECT_EQ(standin::CallLog(),
            (std::vector<std::string>{"CreateFileA " + Name("log.txt"), "WriteFile 5",
                                      "CloseHandle"}));
}

TEST_F(FileStandInTest, ResetClosesEveryOpenFile) {
  const HANDLE file = Open(Name("left.txt"), kReadWrite, 0, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(standin::OpenFileCount(), 1);
  standin::Reset();
  EXPECT_EQ(standin::OpenFileCount(), 0);
  const ScopedFileHandle again(Open(Name("left.txt"), kReadWrite, 0, CREATE_ALWAYS));
  EXPECT_TRUE(again.valid());
}

struct DirectoryCallCase {
  const char* label;
  std::function<BOOL()> call;
  DWORD error;  // 0: the call succeeds
};

TEST_F(FileStandInTest, DirectoriesAndAttributes) {
  testfile::Write(Name("f.txt"), "x");
  const std::string d = Name("d"), f = Name("f.txt"), deep = Name("no\\d");
  const DirectoryCallCase sequence[] = {
      {"create", [&] { return CreateDirectoryA(d.c_str(), nullptr); }, 0},
      {"create again", [&] { return CreateDirectoryA(d.c_str(), nullptr); },
       ERROR_ALREADY_EXISTS},
      {"create in a missing one", [&] { return CreateDirectoryA(deep.c_str(), nullptr); },
       ERROR_PATH_NOT_FOUND},
      {"delete a directory", [&] { return DeleteFileA(d.c_str()); }, ERROR_ACCESS_DENIED},
      {"remove a file", [&] { return RemoveDirectoryA(f.c_str()); }, 267},
      {"remove", [&] { return RemoveDirectoryA(d.c_str()); }, 0},
      {"remove again", [&] { return RemoveDirectoryA(d.c_str()); }, ERROR_FILE_NOT_FOUND},
      {"delete a file", [&] { return DeleteFileA(f.c_str()); }, 0},
      {"delete again", [&] { return DeleteFileA(f.c_str()); }, ERROR_FILE_NOT_FOUND},
  };
  for (const DirectoryCallCase& c : sequence) {
    SetLastError(0);
    EXPECT_EQ(c.call(), c.error == 0 ? TRUE : FALSE) << c.label;
    if (c.error != 0) {
      EXPECT_EQ(GetLastError(), c.error) << c.label;
    }
  }

  testfile::MakeDirectory(Name("d"));
  testfile::Write(Name("f.txt"), "x");
  EXPECT_EQ(GetFileAttributesA(Name("d").c_str()), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesA(Name("f.txt").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(GetFileAttributesA(Name("none").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileStandInTest, AFileHeldWithoutDeleteSharingCannotBeDeleted) {
  testfile::Write(Name("f.txt"), "x");
  {
    const testfile::HeldOpen held(Name("f.txt"));
    EXPECT_FALSE(DeleteFileA(Name("f.txt").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  }
  EXPECT_TRUE(DeleteFileA(Name("f.txt").c_str()));
}

}  // namespace
