#include "VorlindeProgram.h"

#include "CommandLine.h"
#include "UnitVorlindeUtils.h"

#define SHOP_HOST "www.lindwurm-buecher.example"
#define PARTNER_TAG "vorlinde-21"

const ButtonDefinition kButton = {
    "{8A918C1D-E123-4E36-B562-5C1519E434CE}",
    "Lindwurm B\xC3\xBC"
    "cher",  // UTF-8, as every text the program holds
    "YES",
    "http://" SHOP_HOST "/exec/partner/redirect-home?tag=" PARTNER_TAG "&site=home",
    "shop.ico",
    "shop.ico",
    "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}",
    "Button",
    "{76577871-04EC-495E-A12B-91F7C3600AFA}",
    2,
    3,
};

namespace {

void RunInstallMode() {
  RegisterExtensionButton(kButton.KeyGuid, kButton.ButtonCaption, kButton.DefaultVisible,
                          kButton.TargetUrl, kButton.IconFileName, kButton.HotIconFileName,
                          kButton.ButtonClsid);
  const bool companion = ProbeCompanionButton(kButton.CompanionKeyGuid);
  PlaceButtonInCommandBar(kButton.KeyGuid, kButton.ButtonClsid, kButton.LayoutIndex(companion));
}

// The side modes, in their fixed order of priority; false when the command
// line names none of them. Each test reads the whole command line anew.
bool RunSideMode() {
  if (HasCommandLineSwitch("SaveAllToFile")) {
    SaveShortcutFile(kButton.TargetUrl, kButton.ShortcutTag);
    SaveCaptionFile(kButton.ButtonCaption);
    return true;
  }
  if (HasCommandLineSwitch("SaveUrlToFile")) {
    SaveShortcutFile(kButton.TargetUrl, kButton.ShortcutTag);
    return true;
  }
  if (HasCommandLineSwitch("OpenUrl")) {
    OpenTargetUrl(kButton.TargetUrl);
    return true;
  }
  return false;
}

}  // namespace

void RunVorlinde() noexcept {
  try {
    if (!RunSideMode()) RunInstallMode();
  } catch (...) {
    // Silent by design: no window, no message, no log.
  }
}
