// Active Setup components of Vorlinde's that a removal takes out (and every
// registration, of the first): the one name earlier versions gave the
// agent's component on every machine, the one an earlier removal registered
// for its fix-up, and on 64-bit Windows a component registered in the
// 64-bit registry view (as a 64-bit reg.exe writes), which this 32-bit
// program does not see in its own view.
#pragma once

#include <string>

class TextOut;

/// Unregisters the component `name` in the program's own view and, on
/// 64-bit Windows, in the 64-bit view, naming each it found; a link stands
/// for itself. True when none is left.
bool UnregisterInBothViews(TextOut& out, const std::string& name);

/// Unregisters every component but the agent's in the program's own view,
/// naming each it found; a link stands for itself. True when none is left.
bool UnregisterOtherComponents(TextOut& out);

/// Unregisters the one component earlier versions registered on every
/// machine, in both views, naming each it found: left standing, it would run
/// the agent a second time at each logon. True when none is left.
bool UnregisterLegacyPlacementComponent(TextOut& out);

/// Unregisters the agent's component in the program's own view too: with
/// the button gone and no removal recorded, nothing is left to run.
bool UnregisterOwnComponent(TextOut& out);
