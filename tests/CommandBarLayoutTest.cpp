// The command bar layout editor against whichever registry the build runs on.
#include <gtest/gtest.h>

#include "Exceptions.h"
#include "FailureMessage.h"
#include "LayoutBytes.h"
#include "RegistryTestKeys.h"
#include "UnitVorlindeUtils.h"

using namespace testreg;

namespace {

class CommandBarLayoutTest : public RegistryTest {
 protected:
  static void Store(DWORD type, const std::string& bytes) {
    SetValue(HKEY_CURRENT_USER, kCommandBarKey, "ButtonLayout", type, bytes);
  }
  static StoredValue Layout() {
    return GetValue(HKEY_CURRENT_USER, kCommandBarKey, "ButtonLayout");
  }
};

struct InsertCase {
  const char* before;  // nullptr: no value at all
  std::int32_t index;
  const char* after;
};

TEST_F(CommandBarLayoutTest, InsertsOneEntryAtTheClampedIndex) {
  const InsertCase cases[] = {
      {nullptr, 2,
       "07 00 00 00 01 01 00 00 10 01 00 00 03 01 00 00 04 01 00 00 05 01 00 00 06 01 00 00 "
       "07 01 00 00"},
      {"", 2,
       "07 00 00 00 01 01 00 00 10 01 00 00 03 01 00 00 04 01 00 00 05 01 00 00 06 01 00 00 "
       "07 01 00 00"},
      {nullptr, 3,
       "07 00 00 00 01 01 00 00 03 01 00 00 10 01 00 00 04 01 00 00 05 01 00 00 06 01 00 00 "
       "07 01 00 00"},
      {nullptr, 0,
       "10 01 00 00 07 00 00 00 01 01 00 00 03 01 00 00 04 01 00 00 05 01 00 00 06 01 00 00 "
       "07 01 00 00"},
      {nullptr, 6,
       "07 00 00 00 01 01 00 00 03 01 00 00 04 01 00 00 05 01 00 00 06 01 00 00 10 01 00 00 "
       "07 01 00 00"},
      {nullptr, 7,
       "07 00 00 00 01 01 00 00 03 01 00 00 04 01 00 00 05 01 00 00 06 01 00 00 10 01 00 00 "
       "07 01 00 00"},
      {nullptr, 0x7FFFFFFF,
       "07 00 00 00 01 01 00 00 03 01 00 00 04 01 00 00 05 01 00 00 06 01 00 00 10 01 00 00 "
       "07 01 00 00"},
      {"2A 01 00 00", 0, "10 01 00 00 2A 01 00 00"},
      {"2A 01 00 00", 3, "10 01 00 00 2A 01 00 00"},
      {"2A 01 00 00 2B 01 00 00", 3, "2A 01 00 00 10 01 00 00 2B 01 00 00"},
      {"2A FF 12 34 2B 00 AB CD 2C 01 00 00", 1, "2A FF 12 34 10 01 00 00 2B 00 AB CD 2C 01 00 00"},
  };
  for (const InsertCase& c : cases) {
    DeleteTree(HKEY_CURRENT_USER, kCommandBarKey);
    if (c.before) Store(REG_BINARY, Hex(c.before));
    InsertLayoutEntry(c.index, 16, 1);
    const StoredValue after = Layout();
    EXPECT_EQ(after.type, REG_BINARY);
    EXPECT_EQ(ToHex(after.bytes), c.after)
        << "before: " << (c.before ? c.before : "(missing)") << ", index " << c.index;
  }
}

TEST_F(CommandBarLayoutTest, StoresTheLowBytesOfIdAndFlag) {
  Store(REG_BINARY, Hex("2A 01 00 00"));
  InsertLayoutEntry(0, 0xFF, 0x102);
  EXPECT_EQ(ToHex(Layout().bytes), "FF 02 00 00 2A 01 00 00");
}

TEST_F(CommandBarLayoutTest, AMissingCommandBarKeyIsCreated) {
  ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kCommandBarKey));
  InsertLayoutEntry(2, 16, 1);
  EXPECT_EQ(Layout().bytes.size(), 32u);
}

TEST_F(CommandBarLayoutTest, TwoCallsLeaveTwoAdjacentEntries) {
  InsertLayoutEntry(2, 16, 1);
  InsertLayoutEntry(2, 16, 1);
  EXPECT_EQ(ToHex(Layout().bytes),
            "07 00 00 00 01 01 00 00 10 01 00 00 10 01 00 00 03 01 00 00 04 01 00 00 "
            "05 01 00 00 06 01 00 00 07 01 00 00");
}

TEST_F(CommandBarLayoutTest, UntypedDataIsReadAsBinaryAndWrittenBackAsBinary) {
  Store(REG_NONE, Hex("2A 01 00 00 2B 01 00 00"));
  InsertLayoutEntry(1, 16, 1);
  const StoredValue after = Layout();
  EXPECT_EQ(after.type, REG_BINARY);
  EXPECT_EQ(ToHex(after.bytes), "2A 01 00 00 10 01 00 00 2B 01 00 00");
}

TEST_F(CommandBarLayoutTest, TheLargestAcceptedValueGrowsOnceAndIsThenRefused) {
  const std::string largest(2048, '\x05');
  Store(REG_BINARY, largest);
  InsertLayoutEntry(2, 16, 1);
  const std::string grown = Layout().bytes;
  ASSERT_EQ(grown.size(), 2052u);
  EXPECT_EQ(grown.substr(0, 8), largest.substr(0, 8));
  EXPECT_EQ(ToHex(grown.substr(8, 4)), "10 01 00 00");
  EXPECT_EQ(grown.substr(12), largest.substr(8));

  EXPECT_EQ(FailureMessage<ERegistryException>([] { InsertLayoutEntry(2, 16, 1); }),
            "Ung\xC3\xBCltiger Datentyp f\xC3\xBCr 'ButtonLayout'");
  EXPECT_EQ(Layout().bytes, grown);
}

struct RefusedCase {
  const char* label;
  DWORD type;
  std::string bytes;
  const char* message;
};

TEST_F(CommandBarLayoutTest, RefusedValuesStayAsTheyWere) {
  const char* invalidType = "Ung\xC3\xBCltiger Datentyp f\xC3\xBCr 'ButtonLayout'";
  const RefusedCase cases[] = {
      {"2049 bytes", REG_BINARY, std::string(2049, '\1'), invalidType},
      {"text", REG_SZ, Sz("07 00 00 00"), invalidType},
      {"empty text", REG_SZ, "", invalidType},
      {"expandable text", REG_EXPAND_SZ, Sz("x"), invalidType},
      {"number", REG_DWORD, std::string(4, '\0'), invalidType},
      {"6 bytes", REG_BINARY, Hex("07 00 00 00 01 01"), ""},
  };
  for (const RefusedCase& c : cases) {
    Store(c.type, c.bytes);
    const std::string message =
        c.message[0] == '\0'
            ? FailureMessage<EAssertionFailed>([] { InsertLayoutEntry(2, 16, 1); })
            : FailureMessage<ERegistryException>([] { InsertLayoutEntry(2, 16, 1); });
    EXPECT_EQ(message, c.message) << c.label;
    const StoredValue after = Layout();
    EXPECT_EQ(after.type, c.type) << c.label;
    EXPECT_EQ(after.bytes, c.bytes) << c.label;
  }
}

TEST_F(CommandBarLayoutTest, ArgumentsOutsideTheirRangeAreRefusedBeforeAnyAccess) {
  EXPECT_EQ(FailureMessage<EAssertionFailed>([] { InsertLayoutEntry(2, 15, 1); }),
            "Eigene Buttons haben IDs im Bereich >= $10");
  // Byte 0 holds the id: 256 would be stored as 0 and name another button.
  EXPECT_EQ(FailureMessage<EAssertionFailed>([] { InsertLayoutEntry(2, 256, 1); }),
            "Eigene Buttons haben IDs im Bereich <= $FF");
  EXPECT_EQ(FailureMessage<EAssertionFailed>([] { InsertLayoutEntry(-1, 16, 1); }),
            "Der Eintragsindex darf nicht negativ sein");
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kCommandBarKey));
}

struct OffsetCase {
  std::int32_t index;
  std::int32_t length;
  std::int32_t offset;
};

TEST(ClampedEntryOffsetTest, NeverPointsBehindTheLastEntry) {
  const OffsetCase cases[] = {
      {0, 28, 0}, {2, 28, 8}, {5, 28, 20},          {6, 28, 24},  {7, 28, 24},
      {0, 4, 0},  {3, 4, 0},  {0x7FFFFFFF, 28, 24}, {1, 2048, 4}, {511, 2048, 2044},
  };
  for (const OffsetCase& c : cases) {
    EXPECT_EQ(ClampedEntryOffset(c.index, c.length), c.offset)
        << "index " << c.index << ", length " << c.length;
  }
}

}  // namespace
