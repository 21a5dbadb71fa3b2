// The program's one button and the run of one mode.
#pragma once

#include <cstdint>

/// The fixed values of the button; nothing of it is read at run time.
struct ButtonDefinition {
  const char* KeyGuid;
  const char* ButtonCaption;
  const char* DefaultVisible;
  const char* TargetUrl;
  const char* IconFileName;
  const char* HotIconFileName;
  const char* ButtonClsid;
  const char* ShortcutTag;
  const char* CompanionKeyGuid;
  std::int32_t LayoutIndexAlone;
  std::int32_t LayoutIndexWithCompanion;

  /// The entry index an install run gives the button: beside the companion
  /// button where that one is installed (ProbeCompanionButton).
  constexpr std::int32_t LayoutIndex(bool companionInstalled) const {
    return companionInstalled ? LayoutIndexWithCompanion : LayoutIndexAlone;
  }
};

extern const ButtonDefinition kButton;

/// Runs the mode the command line selects. Every failure is discarded: the
/// program is silent by design and its caller learns nothing from it.
void RunVorlinde() noexcept;
