// What an install records for the agent's placement: the same-class keys
// as they stood once the button's key was written, under the install's own
// stamp. A repair or an upgrade of the same install keeps the record; only
// a new install, after an uninstall, writes a new one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "EventStamp.h"

struct InstallRecord {
  EventStamp stamp;  // none: no install recorded
  std::vector<std::string> buttonKeys;  // the same-class buttons besides the program's
  std::int32_t position = 0;            // how many of them stand before it
  bool adopted = false;                 // recorded after the install: the ids it moved are unknown
  bool underWay = false;                // a new install's machine part is begun, its record not whole
  std::string damage;                   // why nothing may be applied from it; empty when sound

  /// The ids of the buttons the install moved one up: from the button's own
  /// to the last; none for an adopted record.
  std::int32_t LaterCount() const;
};

/// The machine's record, its key opened as itself; each value of its one
/// type and range, or the record is damaged and says so.
InstallRecord ReadInstallRecord();

/// Whether the button's key now counts as a button of its class: what the
/// package asks before it writes the machine part.
bool ButtonCounted();

/// Writes the record of the install whose machine part now stands, stamped
/// `stamp`: the same-class keys as they stand. `adopted`: the install is
/// older than its record, so the ids it moved are unknown. Ends the note of
/// an install under way.
void WriteInstallRecord(const EventStamp& stamp, bool adopted);

/// Notes a new install under way, before its button's key is written.
void MarkInstallUnderWay();
/// Takes that note away: the install's record is whole, or the install undone.
void EndInstallUnderWay();

/// Deletes the record, once the install's removal is finished.
void DeleteInstallRecord();
