// Writing a text file where only the stand-in can make the system fail, and
// the calls the writer makes.
#include <gtest/gtest.h>

#include <functional>

#include "Exceptions.h"
#include "FailureMessage.h"
#include "FileTestHelpers.h"
#include "StandInControl.h"
#include "TempDirectory.h"
#include "TextFile.h"

namespace {

using Log = std::vector<std::string>;

class TextFileFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::Reset();
    ASSERT_TRUE(temp_.valid());
  }
  void TearDown() override { standin::Reset(); }

  TempDirectory temp_;
  const std::string file_ = temp_.Windows("out.txt");
};

struct WriteFaultCase {
  const char* label;
  std::function<void()> fault;
  std::string left;  // what the file holds afterwards
};

TEST_F(TextFileFaultTest, AFailedOrShortWriteRaisesAndClosesTheFile) {
  const WriteFaultCase cases[] = {
      {"disk full", [] { standin::FailFileWrites(ERROR_DISK_FULL); }, ""},
      {"device fault", [] { standin::FailFileWrites(ERROR_WRITE_FAULT); }, ""},
      {"nothing written", [] { standin::LimitFileWrites(0); }, ""},
      {"one byte short", [] { standin::LimitFileWrites(9); }, "one\r\ntwo\r"},
  };
  for (const WriteFaultCase& c : cases) {
    standin::Reset();
    testfile::Write(file_, "an older and longer content");
    c.fault();
    standin::ClearCallLog();
    try {
      WriteTextFile(file_, {"one", "two"});
      ADD_FAILURE() << "nothing raised: " << c.label;
    } catch (const EWriteError& e) {
      EXPECT_EQ(e.Message(), "Stream-Schreibfehler") << c.label;
    }
    EXPECT_EQ(standin::CallLog(), (Log{"CreateFileA " + file_, "WriteFile 10", "CloseHandle"}))
        << c.label;
    EXPECT_EQ(standin::OpenFileCount(), 0) << c.label;
    standin::Reset();
    EXPECT_EQ(testfile::Read(file_).bytes, c.left) << c.label;
  }
}

TEST_F(TextFileFaultTest, TheWholeTextGoesOutInOneWrite) {
  standin::ClearCallLog();
  WriteTextFile(file_, {"[InternetShortcut]", "URL="});
  EXPECT_EQ(standin::CallLog(), (Log{"CreateFileA " + file_, "WriteFile 26", "CloseHandle"}));
}

TEST_F(TextFileFaultTest, NoLinesNoWrite) {
  standin::FailFileWrites(ERROR_DISK_FULL);  // would raise if a write were tried
  standin::ClearCallLog();
  WriteTextFile(file_, {});
  EXPECT_EQ(standin::CallLog(), (Log{"CreateFileA " + file_, "CloseHandle"}));
  EXPECT_TRUE(testfile::Read(file_).exists);
}

TEST_F(TextFileFaultTest, ARefusedCreationWritesNothingAndAsksForTheFullName) {
  const std::string name = temp_.Windows("missing\\.\\x.txt");
  standin::ClearCallLog();
  EXPECT_EQ(FailureMessage<EFCreateError>([&] { WriteTextFile(name, {"x"}); }),
            "Datei \"" + temp_.Windows("missing\\x.txt") +
                "\" kann nicht erstellt werden. The system cannot find the path specified");
  EXPECT_EQ(standin::CallLog(), (Log{"CreateFileA " + name, "GetFullPathNameA " + name}));
}

TEST_F(TextFileFaultTest, ANameLongerThanTheBufferIsShownAsGiven) {
  const std::string name = "C:\\" + std::string(300, 'n');
  EXPECT_EQ(FailureMessage<EFCreateError>([&] { WriteTextFile(name, {"x"}); }),
            "Datei \"" + name +
                "\" kann nicht erstellt werden. The system cannot find the path specified");
}

TEST_F(TextFileFaultTest, APercentSInTheNameStaysAsItIs) {
  const std::string name = "C:\\%s\\x.txt";
  EXPECT_EQ(FailureMessage<EFCreateError>([&] { WriteTextFile(name, {"x"}); }),
            "Datei \"C:\\%s\\x.txt\" kann nicht erstellt werden. "
            "The system cannot find the path specified");
}

struct ExtensionCase {
  const char* path;
  const char* codePage1252;
  const char* codePage932;
};

TEST_F(TextFileFaultTest, ATrailByteIsNeverTakenForABackslash) {
  // 0x95 0x5C is one character in code page 932; 0x5C alone is a backslash.
  const ExtensionCase cases[] = {
      {"C:\\a.b\x95\x5C", "C:\\a.b\x95\x5C_x", "C:\\a_x"},
      {"C:\\x.y\\\x95\x5C.exe", "C:\\x.y\\\x95\x5C_x", "C:\\x.y\\\x95\x5C_x"},
      {"C:\\a.b\x95", "C:\\a_x", "C:\\a_x"},  // a lead byte without its trail byte
  };
  for (const ExtensionCase& c : cases) {
    standin::SetAnsiCodePage(1252);
    EXPECT_EQ(ReplaceExtension(c.path, "_x"), c.codePage1252) << c.path;
    standin::SetAnsiCodePage(932);
    EXPECT_EQ(ReplaceExtension(c.path, "_x"), c.codePage932) << c.path;
  }
}

}  // namespace
