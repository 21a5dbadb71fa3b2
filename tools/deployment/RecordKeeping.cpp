#include "RecordKeeping.h"

#include "InstallRecord.h"
#include "RemovalRecord.h"

namespace {

// A removal that finished and named this install: the record it was to
// delete is no longer any install's.
bool EndedByRemoval(const InstallRecord& standing) {
  const RemovalRecord removal = ReadRemovalRecord();
  return removal.install == standing.stamp && !removal.stamp.IsNone() &&
         !(removal.stamp < removal.planned);
}

}  // namespace

void RecordInstall(const EventStamp& stamp, bool newInstall) {
  // A removal deletes the record: one that stands belongs to this install,
  // also when its key was deleted by hand and is put back by a repair.
  const InstallRecord standing = ReadInstallRecord();
  if (!standing.stamp.IsNone() && standing.damage.empty() && !EndedByRemoval(standing)) {
    if (standing.underWay) EndInstallUnderWay();
    return;
  }
  WriteInstallRecord(stamp, !newInstall);
}

void FinishRemoval(const EventStamp& planned) {
  MarkRemovalDone(planned);
  DeleteInstallRecord();
}
