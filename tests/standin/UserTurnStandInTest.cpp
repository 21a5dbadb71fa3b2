// One writer of a user's layout at a time, and what the removal tells a run
// the registry refuses: cases that need threads playing processes, or rights
// that only the stand-in takes away.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "Actions.h"
#include "Deployment.h"
#include "NamedMutex.h"
#include "PerUserAgent.h"
#include "RegistryTestKeys.h"
#include "StandInControl.h"
#include "TextOut.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"

using namespace testreg;

namespace {

const std::string kRecord = deployment::kRemovalKey + 1;
const std::string kOwnKey = std::string(kExtensionsKey) + "\\" + kButton.KeyGuid;

class UserTurnStandInTest : public ::testing::Test {
 protected:
  // A removal of id 16, the only button of its class, and a user who has
  // not had it yet: fixed once, the layout loses its second entry.
  void SetUp() override {
    standin::Reset();
    SetValue(HKEY_LOCAL_MACHINE, kRecord, deployment::kStampValue, REG_SZ, Sz("2026,101,1,1"));
    SetValue(HKEY_LOCAL_MACHINE, kRecord, deployment::kRemovedIdValue, REG_DWORD,
             std::string("\x10\0\0\0", 4));
    SetValue(HKEY_LOCAL_MACHINE, kRecord, deployment::kRemovedPositionValue, REG_DWORD,
             std::string(4, '\0'));
    SetValue(HKEY_LOCAL_MACHINE, kRecord, deployment::kButtonKeysValue, REG_SZ, Sz(""));
    SetValue(HKEY_CURRENT_USER, kCommandBarKey, "ButtonLayout", REG_BINARY,
             std::string("\x07\0\0\0\x10\x01\0\0", 8));
  }
  void TearDown() override { standin::Reset(); }

  static std::string Layout() {
    return GetValue(HKEY_CURRENT_USER, kCommandBarKey, "ButtonLayout").bytes;
  }
  // Another process's claim, made on the calling thread.
  static HANDLE Claim() {
    const std::string name = UserTurnMutexName();
    const std::u16string turnName(name.begin(), name.end());
    const HANDLE turn = CreateMutexW(nullptr, FALSE, turnName.c_str());
    EXPECT_EQ(WaitForSingleObject(turn, 0), WAIT_OBJECT_0);
    return turn;
  }
};

// The first run in another session of the same user, as a second remote
// desktop or a fast user switch has it.
TEST_F(UserTurnStandInTest, ASecondRunWaitsForTheTurnBeforeItReadsAnything) {
  standin::ClearCallLog();
  TextBuffer out;
  int exitCode = -1;
  std::thread holder([&] {
    standin::SetThreadSession(2);
    const HANDLE turn = Claim();
    std::thread second([&] { exitCode = FixLayout(out); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ReleaseMutex(turn);
    second.join();
  });
  holder.join();
  EXPECT_EQ(exitCode, 0) << out.Text();
  EXPECT_EQ(Layout(), std::string("\x07\0\0\0", 4));
  const auto& log = standin::CallLog();
  const auto release = std::find(log.begin(), log.end(), "ReleaseMutex");
  EXPECT_EQ(std::find_if(log.begin(), release,
                         [](const std::string& call) { return call.rfind("Reg", 0) == 0; }),
            release);
  EXPECT_EQ(FixLayout(out), 0);
  EXPECT_EQ(Layout(), std::string("\x07\0\0\0", 4)) << "fixed once";
  EXPECT_EQ(UserTurnMutexName(), "Global\\Vorlinde.UserLayout.S-1-5-21-1000-2000-3000-1001");
}

TEST_F(UserTurnStandInTest, ARunThatCannotClaimTheTurnReadsAndWritesNothing) {
  standin::FailMutexCreation(ERROR_ACCESS_DENIED);
  standin::ClearCallLog();
  TextBuffer out;
  EXPECT_EQ(FixLayout(out), 1);
  EXPECT_NE(out.Text().find(") cannot be claimed (Access is denied): nothing was read or changed"),
            std::string::npos)
      << out.Text();
  for (const std::string& call : standin::CallLog()) EXPECT_NE(call.rfind("Reg", 0), 0u) << call;
  EXPECT_EQ(Layout(), std::string("\x07\0\0\0\x10\x01\0\0", 8));
}

TEST_F(UserTurnStandInTest, ARunThatEndedHoldingTheTurnBlocksNoOne) {
  std::thread([] { Claim(); }).join();  // ends without releasing, as a crash would
  TextBuffer out;
  EXPECT_EQ(FixLayout(out), 0) << out.Text();
  EXPECT_NE(out.Text().find("ended without releasing its turn"), std::string::npos);
  EXPECT_EQ(Layout(), std::string("\x07\0\0\0", 4));
}

TEST_F(UserTurnStandInTest, AnElevatedRunThatIsRefusedHearsWhichKeyRefusedIt) {
  RunVorlinde();
  standin::SetKeyRights(HKEY_LOCAL_MACHINE, kOwnKey, standin::KeyRights::ReadOnly);
  TextBuffer out;
  EXPECT_EQ(RemoveButton(out, ExecutableDirectory() + deployment::kAgentFileName), 1);
  EXPECT_NE(out.Text().find("This run is elevated, but the registry refused to open "
                            "HKEY_LOCAL_MACHINE\\" +
                            kOwnKey + " (Access is denied)"),
            std::string::npos)
      << out.Text();
  EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kRecord, deployment::kStampValue).bytes,
            Sz("2026,101,1,1"))
      << "a try that removed nothing raises no stamp";
}

}  // namespace
