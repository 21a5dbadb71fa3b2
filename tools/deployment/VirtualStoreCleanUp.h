// The current user's redirected copies of the extension key, deleted.
#pragma once

class TextOut;

/// Deletes every copy that stands, naming each; true when none is left.
bool RemoveVirtualStoreCopies(TextOut& out);
