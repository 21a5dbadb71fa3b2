// The per-user agent's one run: this user's command bar layout brought in
// line with the machine, at their logon (Active Setup), in the run that
// removed the button, or on request (/FixLayout). Idempotent, and one run at
// a time per user.
#pragma once

#include <string>

#include "EventStamp.h"

class TextOut;

/// Claims this user's turn, then: the button installed and counted but no
/// entry of the layout carrying its id: placed as an install run places it;
/// a recorded removal this user has not had: applied; anything else: left,
/// with the reason. Says what it did; false when the turn could not be
/// claimed, the layout had to be left although it needed a change (a
/// record it may not use, keys that changed since the event), or the
/// button it placed has no picture.
bool BringThisUsersLayoutInLine(TextOut& out);

/// The latest install, upgrade or removal: the higher of the agent's
/// component's Version and the removal record's stamp.
EventStamp LatestEvent(const EventStamp& component, const EventStamp& removal);

/// The name of this user's turn, the same in each of their sessions; with
/// no SID to be had, one turn for every user of the machine.
std::string UserTurnMutexName();
