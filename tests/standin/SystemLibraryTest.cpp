// DLLs from the system directory only: the search restricted at start, and
// the libraries loaded by full path, held for as long as they are used.
#include <gtest/gtest.h>

#include "Exceptions.h"
#include "StandInControl.h"
#include "SystemLibrary.h"

namespace {

class SystemLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { standin::Reset(); }
  void TearDown() override { standin::Reset(); }
};

TEST_F(SystemLibraryTest, TheSearchIsRestrictedToTheSystemDirectoryWhereTheSystemCan) {
  RestrictDllSearch();
  EXPECT_EQ(standin::CurrentDllSearch(), standin::DllSearch::SystemDirectoryOnly);

  // An older system: at least the current directory leaves the search.
  standin::Reset();
  standin::RemoveSetDefaultDllDirectories();
  RestrictDllSearch();
  EXPECT_EQ(standin::CurrentDllSearch(), standin::DllSearch::WithoutCurrentDirectory);
}

TEST_F(SystemLibraryTest, LoadsByFullSystemPathAndLetsGoWhenDone) {
  {
    const SystemLibrary user32("user32.dll");
    EXPECT_NE(user32.Find("CharNextA"), nullptr);
    EXPECT_EQ(standin::LoadedLibraries(), std::vector<std::string>{"user32.dll"});
  }
  EXPECT_EQ(standin::CallLog(),
            (std::vector<std::string>{
                std::string("LoadLibraryExA ") + standin::kSystemDirectory + "\\user32.dll",
                "FreeLibrary user32.dll"}));
  EXPECT_TRUE(standin::LoadedLibraries().empty());
}

struct FailureCase {
  const char* fileName;
  const char* procedure;
  DWORD error;
};

TEST_F(SystemLibraryTest, ALoadOrALookUpThatFailsRaisesTheLastError) {
  standin::FailLibraryLoads("shell32.dll", ERROR_ACCESS_DENIED);
  const FailureCase cases[] = {
      {"shell32.dll", "ShellExecuteA", ERROR_ACCESS_DENIED},
      {"nosuch.dll", "Anything", ERROR_MOD_NOT_FOUND},
      {"user32.dll", "NoSuchExport", ERROR_PROC_NOT_FOUND},
  };
  for (const FailureCase& c : cases) {
    try {
      const SystemLibrary library(c.fileName);
      library.Find(c.procedure);
      ADD_FAILURE() << "nothing raised for " << c.fileName;
    } catch (const EOSError& e) {
      EXPECT_EQ(e.ErrorCode(), c.error) << c.fileName;
    }
    EXPECT_TRUE(standin::LoadedLibraries().empty()) << c.fileName;
  }
}

}  // namespace
