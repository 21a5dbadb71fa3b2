// The per-user half of a removal: at each user's next logon (Active Setup),
// or in the run that removed the button, that user's layout is fixed once.
#pragma once

class TextOut;

/// Applies the removal recorded on this machine to the current user's
/// layout, unless it was applied for them already or the extension keys no
/// longer stand as recorded. Says what it did; false when the layout had to
/// be left alone although it needed the fix.
bool FixUpThisUsersLayout(TextOut& out);
