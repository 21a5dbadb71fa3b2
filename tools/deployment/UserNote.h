// Each user's own note of the agent's last run for them: the event it ran
// for and what came of it. What keeps a layout from being edited twice for
// one event.
#pragma once

#include <string>

#include "EventStamp.h"

struct UserNote {
  EventStamp stamp;
  std::string outcome;
  EventStamp install;  // the install whose placement reached this user; none when none did
  /// While a placement is begun and not finished: the layout as it stood
  /// before it (LayoutText). The write either left it so, or it happened.
  std::string layoutBefore;
};

/// This user's note; none when there is none. Raises ERegistryException
/// naming the key when a link stands in its place.
UserNote ReadUserNote();

/// Notes that this user is done with the event `note.stamp`. Raises when
/// the note cannot be written (a link in its place included).
void WriteUserNote(const UserNote& note);

/// Raises Active Setup's per-user copy of this machine's agent component to
/// `version`, the component's own, so that the next logon does not run the
/// agent again for an event this run dealt with. A copy above it stays.
void RaiseActiveSetupCopy(const EventStamp& version);
