// Writing a text file, or to standard output, where only the stand-in can
// make the system fail or play a console, and the calls the writers make.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "Exceptions.h"
#include "FailureMessage.h"
#include "FileTestHelpers.h"
#include "StandInControl.h"
#include "StandardOutput.h"
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
    EXPECT_EQ(standin::CallLog(), (Log{"CreateFileW " + file_, "WriteFile 10", "CloseHandle"}))
        << c.label;
    EXPECT_EQ(standin::OpenFileCount(), 0) << c.label;
    standin::Reset();
    EXPECT_EQ(testfile::Read(file_).bytes, c.left) << c.label;
  }
}

TEST_F(TextFileFaultTest, TheWholeTextGoesOutInOneWrite) {
  standin::ClearCallLog();
  WriteTextFile(file_, {"[InternetShortcut]", "URL="});
  EXPECT_EQ(standin::CallLog(), (Log{"CreateFileW " + file_, "WriteFile 26", "CloseHandle"}));
}

TEST_F(TextFileFaultTest, NoLinesNoWrite) {
  standin::FailFileWrites(ERROR_DISK_FULL);  // would raise if a write were tried
  standin::ClearCallLog();
  WriteTextFile(file_, {});
  EXPECT_EQ(standin::CallLog(), (Log{"CreateFileW " + file_, "CloseHandle"}));
  EXPECT_TRUE(testfile::Read(file_).exists);
}

TEST_F(TextFileFaultTest, ARefusedCreationWritesNothingAndAsksForTheFullName) {
  const std::string name = temp_.Windows("missing\\.\\x.txt");
  standin::ClearCallLog();
  EXPECT_EQ(FailureMessage<EFCreateError>([&] { WriteTextFile(name, {"x"}); }),
            "Datei \"" + temp_.Windows("missing\\x.txt") +
                "\" kann nicht erstellt werden. The system cannot find the path specified");
  EXPECT_EQ(standin::CallLog(), (Log{"CreateFileW " + name, "GetFullPathNameW " + name}));
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

TEST_F(TextFileFaultTest, PathsInUtf8AreSplitAlikeOnEveryCodePage) {
  // The second bytes of "\u0141" (0xC5 0x81) and "\u0416" (0xD0 0x96) are lead
  // bytes in code page 932; in UTF-8 no byte of them is a period or backslash.
  const ExtensionCase cases[] = {
      {"C:\\a.b\xC5\x81\\x", "C:\\a.b\xC5\x81\\x_x", "C:\\a.b\xC5\x81\\x_x"},
      {"C:\\x\\\xD0\x96.exe", "C:\\x\\\xD0\x96_x", "C:\\x\\\xD0\x96_x"},
  };
  for (const ExtensionCase& c : cases) {
    standin::SetAnsiCodePage(1252);
    EXPECT_EQ(ReplaceExtension(c.path, "_x"), c.codePage1252) << c.path;
    standin::SetAnsiCodePage(932);
    EXPECT_EQ(ReplaceExtension(c.path, "_x"), c.codePage932) << c.path;
  }
}

// ---- Standard output ---------------------------------------------------------

TEST_F(TextFileFaultTest, AConsoleGetsUtf16InPiecesItCanTake) {
  standin::SetConsoleOutput(true);
  standin::ClearCallLog();
  EXPECT_TRUE(
      WriteStandardOutput("Lindwurm B\xC3\xBC"
                          "cher \xE2\x82\xAC\n"));
  EXPECT_EQ(standin::ConsoleOutput().text, u"Lindwurm B\u00FCcher \u20AC\n");
  EXPECT_EQ(standin::ConsoleOutput().bytes, "");
  EXPECT_EQ(standin::CallLog(), Log{"WriteConsoleW 18"});

  standin::Reset();
  standin::SetConsoleOutput(true);
  std::string many;
  for (int i = 0; i < 20000; ++i) many += "\xC3\xA4";
  EXPECT_TRUE(WriteStandardOutput(many));
  EXPECT_EQ(standin::CallLog(),
            (Log{"WriteConsoleW 8192", "WriteConsoleW 8192", "WriteConsoleW 3616"}));
  EXPECT_EQ(standin::ConsoleOutput().text, std::u16string(20000, u'\u00E4'));

  // The text is UTF-8 whatever the system's code page.
  standin::Reset();
  standin::SetConsoleOutput(true);
  standin::SetAnsiCodePage(932);
  EXPECT_TRUE(WriteStandardOutput("\xEF\xBD\xB1\xD0\x96 A\\"));
  EXPECT_EQ(standin::ConsoleOutput().text, u"\uFF71\u0416 A\\");
}

// Without a console, standard output is the process's descriptor 1.
TEST_F(TextFileFaultTest, WithoutAConsoleUtf8GoesToTheProcesssOwnOutputInWhateverPiecesItTakes) {
  std::fflush(stdout);
  const int saved = dup(1);
  const int file = open((temp_.Posix() + "/out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(file, 0);
  dup2(file, 1);
  standin::LimitFileWrites(3);
  standin::ClearCallLog();
  const bool whole = WriteStandardOutput(
      "B\xC3\xBC"
      "cher\n");
  dup2(saved, 1);
  close(saved);
  close(file);
  EXPECT_TRUE(whole);
  EXPECT_EQ(standin::CallLog(), (Log{"WriteFile 8", "WriteFile 5", "WriteFile 2"}));
  EXPECT_EQ(testfile::Read(file_).bytes,
            "B\xC3\xBC"
            "cher\n");
}

struct OutputFaultCase {
  const char* label;
  bool toFile;  // standard output redirected to file_
  std::function<void()> fault;
};

TEST_F(TextFileFaultTest, StandardOutputThatTakesNotAllOfTheTextIsAFailure) {
  const OutputFaultCase cases[] = {
      {"console refuses", false,
       [] {
         standin::SetConsoleOutput(true);
         standin::FailFileWrites(ERROR_WRITE_FAULT);
       }},
      {"file refuses", true, [] { standin::FailFileWrites(ERROR_DISK_FULL); }},
      {"file takes nothing", true, [] { standin::LimitFileWrites(0); }},
      {"no standard output", false, [] { SetStdHandle(STD_OUTPUT_HANDLE, nullptr); }},
      {"closed standard output", false, [] { CloseHandle(GetStdHandle(STD_OUTPUT_HANDLE)); }},
  };
  for (const OutputFaultCase& c : cases) {
    standin::Reset();
    testfile::Remove(file_);
    {
      const ScopedFileHandle file(c.toFile ? CreateFileA(file_.c_str(), GENERIC_WRITE, 0, nullptr,
                                                         CREATE_ALWAYS, 0, nullptr)
                                           : INVALID_HANDLE_VALUE);
      if (c.toFile) SetStdHandle(STD_OUTPUT_HANDLE, file.get());
      c.fault();
      EXPECT_FALSE(
          WriteStandardOutput("B\xC3\xBC"
                              "cher"))
          << c.label;
    }
    EXPECT_EQ(standin::ConsoleOutput().text, u"") << c.label;
    EXPECT_EQ(testfile::Read(file_).exists, c.toFile) << c.label;
    EXPECT_EQ(testfile::Read(file_).bytes, "") << c.label;
  }
}

}  // namespace
