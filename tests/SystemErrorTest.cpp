// What the system says: error texts and the EOSError raised for the last
// error code, and the account the process runs as.
#include <gtest/gtest.h>

#include <cstdint>

#include "Exceptions.h"
#include "ProcessAccount.h"
#include "SystemErrorText.h"
#include "Win32.h"

namespace {

struct RaisedCase {
  std::uint32_t lastError;
  std::string message;
};

TEST(RaiseLastSystemErrorTest, BuildsTheMessageFromTheLastErrorCode) {
  const RaisedCase cases[] = {
      {2, "Systemfehler.  Code: 2.\r\n" + SystemErrorText(2)},
      {5, "Systemfehler.  Code: 5.\r\n" + SystemErrorText(5)},
      {0, "Ein Aufruf einer Betriebssystemfunktion ist fehlgeschlagen"},
      {0x20001234u, "Systemfehler.  Code: 536875572.\r\n"},  // no system text: ends at CR LF
      {0x80004005u, "Systemfehler.  Code: -2147467259.\r\n" + SystemErrorText(0x80004005u)},
      {0xFFFFFFFFu, "Systemfehler.  Code: -1.\r\n" + SystemErrorText(0xFFFFFFFFu)},
  };
  for (const RaisedCase& c : cases) {
    SetLastError(c.lastError);
    try {
      RaiseLastSystemError();
      ADD_FAILURE() << "nothing raised for " << c.lastError;
    } catch (const EOSError& e) {
      EXPECT_EQ(e.Message(), c.message) << c.lastError;
      EXPECT_EQ(e.ErrorCode(), c.lastError) << "kept exactly, whatever its sign";
    }
  }
}

TEST(SystemErrorTextTest, KnownCodesHaveATextWithoutTrailingPeriodOrLineBreak) {
  for (const std::uint32_t code : {2u, 3u, 5u, 32u, 183u}) {
    const std::string text = SystemErrorText(code);
    ASSERT_FALSE(text.empty()) << code;
    const auto last = static_cast<unsigned char>(text.back());
    EXPECT_TRUE(last > 32 && last != '.') << code << ": " << text;
  }
}

TEST(SystemErrorTextTest, ACodeWithoutSystemTextGivesNothing) {
  EXPECT_EQ(SystemErrorText(0x20001234u), "");
}

TEST(ProcessAccountTest, TheSystemNamesTheAccountAndItsElevation) {
  const std::string name = CurrentAccountName();
  const std::size_t cut = name.find('\\');
  ASSERT_NE(cut, std::string::npos) << name;
  EXPECT_GT(cut, 0u) << name;
  EXPECT_LT(cut + 1, name.size()) << name;
  EXPECT_EQ(name.find('\0'), std::string::npos) << name;  // Wine counts terminators in
  EXPECT_NE(CurrentElevation(), Elevation::Unknown);
}

}  // namespace
