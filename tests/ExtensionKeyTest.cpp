// The button's extension key, written by the routine and by an install run.
#include <gtest/gtest.h>

#include <cctype>

#include "ExecutablePath.h"
#include "RegistryTestKeys.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"

using namespace testreg;

namespace {

const char kGuid[] = "{8A918C1D-E123-4E36-B562-5C1519E434CE}";
const std::string kOwnKey = std::string(kExtensionsKey) + "\\" + kGuid;

std::string OwnDirectory() {
  const std::string path = ExecutablePath();
  return path.substr(0, path.rfind('\\') + 1);
}

class ExtensionKeyTest : public RegistryTest {};

TEST_F(ExtensionKeyTest, WritesTheSevenValuesAndCreatesTheExtensionsKey) {
  ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kExtensionsKey));
  EXPECT_TRUE(RegisterExtensionButton(kGuid, "Caption", "YES", "http://shop.example/?a=1&b=2",
                                      "a.ico", "b.ico", "{CLSID}"));
  const struct {
    const char* name;
    std::string text;
  } expected[] = {
      {"", ""},
      {"ButtonText", "Caption"},
      {"Default Visible", "YES"},
      {"Exec", "http://shop.example/?a=1&b=2"},
      {"Icon", OwnDirectory() + "a.ico"},
      {"HotIcon", OwnDirectory() + "b.ico"},
      {"clsid", "{CLSID}"},
  };
  for (const auto& value : expected) {
    const StoredValue stored = GetValue(HKEY_LOCAL_MACHINE, kOwnKey, value.name);
    EXPECT_TRUE(stored.exists) << value.name;
    EXPECT_EQ(stored.type, REG_SZ) << value.name;
    EXPECT_EQ(stored.bytes, Sz(value.text)) << value.name;
  }
}

TEST_F(ExtensionKeyTest, KeepsOtherValuesAndReplacesOldOnesWhateverTheirType) {
  SetValue(HKEY_LOCAL_MACHINE, kOwnKey, "MenuText", REG_SZ, Sz("keep me"));
  SetValue(HKEY_LOCAL_MACHINE, kOwnKey, "Exec", REG_DWORD, std::string(4, '\0'));
  SetValue(HKEY_LOCAL_MACHINE, kOwnKey, "ButtonText", REG_SZ, Sz("a much longer old caption"));
  EXPECT_TRUE(
      RegisterExtensionButton(kGuid, "New", "YES", "http://x.example/", "i.ico", "i.ico", "{C}"));
  EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kOwnKey, "MenuText").bytes, Sz("keep me"));
  EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kOwnKey, "Exec").type, REG_SZ);
  EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kOwnKey, "Exec").bytes, Sz("http://x.example/"));
  EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kOwnKey, "ButtonText").bytes, Sz("New"));
}

TEST_F(ExtensionKeyTest, InstallRunRegistersTheButtonDefinition) {
  RunVorlinde();
  // As a reader in code page 1252 sees it, the bytes the install has always left.
  EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kOwnKey, "ButtonText").bytes, Sz("Lindwurm B\xFC"
                                                                          "cher"));
  EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kOwnKey, "Exec").bytes, Sz(kButton.TargetUrl));
  EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kOwnKey, "Icon").bytes, Sz(OwnDirectory() + "shop.ico"));
  EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kOwnKey, "clsid").bytes,
            Sz("{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}"));
}

TEST(ButtonDefinitionTest, TargetUrlIsTheShopsPartnerLink) {
  const std::string url = kButton.TargetUrl;
  const std::string head = "http://";
  const std::string middle = "/exec/partner/redirect-home?tag=";
  const std::string tail = "&site=home";
  ASSERT_EQ(url.compare(0, head.size(), head), 0);
  const auto hostEnd = url.find('/', head.size());
  ASSERT_NE(hostEnd, std::string::npos);
  const std::string host = url.substr(head.size(), hostEnd - head.size());
  EXPECT_EQ(host.find_first_of(":?#@"), std::string::npos) << "a bare host name";
  ASSERT_EQ(url.compare(hostEnd, middle.size(), middle), 0);
  ASSERT_GT(url.size(), hostEnd + middle.size() + tail.size());
  EXPECT_EQ(url.substr(url.size() - tail.size()), tail);
  const std::string tag =
      url.substr(hostEnd + middle.size(), url.size() - tail.size() - hostEnd - middle.size());
  EXPECT_FALSE(tag.empty());
  for (char c : tag) {
    EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == '-') << tag;
  }
}

struct DirectoryCase {
  const char* path;
  const char* directory;
};

TEST(ExecutableDirectoryTest, KeepsTheTextUpToTheLastBackslashOrColon) {
  const DirectoryCase cases[] = {
      {"C:\\Tools\\setup.exe", "C:\\Tools\\"},
      {"C:setup.exe", "C:\\"},
      {"setup.exe", "\\"},
      {"", "\\"},
      {"\\\\server\\share\\x.exe", "\\\\server\\share\\"},
      {"C:\\a:b\\c", "C:\\a:b\\"},
      {"C:\\dir\\sub:", "C:\\dir\\sub:\\"},
  };
  for (const DirectoryCase& c : cases) {
    EXPECT_EQ(DirectoryWithBackslash(c.path), c.directory) << c.path;
  }
}

}  // namespace
