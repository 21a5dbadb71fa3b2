// Each user's own note of the agent's last run for them: the event it ran
// for and what came of it. What keeps a layout from being edited twice for
// one event.
#pragma once

#include <string>

#include "EventStamp.h"

/// The outcomes of a run that left the layout because the extension keys no
/// longer stood as the event recorded them: the ids it would move are
/// unknown, so the layout still needs a change no run can make.
inline constexpr char kKeysChangedSinceInstall[] =
    "left as it is: the extension keys changed since the install";
inline constexpr char kKeysChangedSinceRemoval[] = "left as it is: the extension keys changed";
/// What a user does then: no run knows which entries name which button once
/// the keys moved under the event; the reader of the command bar does.
inline constexpr char kChangedKeysAdvice[] =
    "Internet Explorer's command bar: right-click it, choose Customize and set this "
    "account's buttons as they should be; an entry that shows another button is taken off "
    "there.";

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
