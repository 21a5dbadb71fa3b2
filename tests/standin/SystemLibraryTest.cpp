// DLLs from the system directory only: the search restricted at start, and
// the libraries loaded by full path, held for as long as they are used. And
// the process's account, as its token tells it.
#include <gtest/gtest.h>

#include "Exceptions.h"
#include "ProcessAccount.h"
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

struct AccountCase {
  const char* label;
  std::string domain, user;
  bool elevated;
  DWORD tokenFault;
  std::string name;
  Elevation elevation;
};

TEST_F(SystemLibraryTest, TheAccountAsItsTokenTellsItAndNothingWhenItCannot) {
  const std::string longUser(300, 'u');  // more than a fixed buffer of 256 would hold
  const AccountCase cases[] = {
      {"default after a reset", "", "", true, 0, "STANDIN\\user", Elevation::Elevated},
      {"standard user", "LAB", "m\xC3\xBCller", false, 0, "LAB\\m\xC3\xBCller",
       Elevation::NotElevated},
      {"long name", "LAB", longUser, true, 0, "LAB\\" + longUser, Elevation::Elevated},
      {"no domain", "", "Everyone", false, 0, "Everyone", Elevation::NotElevated},
      {"deleted account", "LAB", "", false, 0, "", Elevation::NotElevated},
      {"token refused", "LAB", "x", true, ERROR_ACCESS_DENIED, "", Elevation::Unknown},
  };
  for (const AccountCase& c : cases) {
    standin::Reset();
    if (c.label != cases[0].label) standin::SetAccount(c.domain, c.user, c.elevated);
    standin::FailProcessToken(c.tokenFault);
    EXPECT_EQ(CurrentAccountName(), c.name) << c.label;
    EXPECT_EQ(CurrentElevation(), c.elevation) << c.label;
    EXPECT_EQ(standin::OpenTokenCount(), 0) << c.label;
  }
}

}  // namespace
