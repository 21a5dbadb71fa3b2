#include "RecordReader.h"

#include "Deployment.h"
#include "Exceptions.h"
#include "SameClassButtons.h"

bool RecordReader::Has(const std::string& name) { return key_.Query(name).exists; }

// Only the first damage is named: one is enough to use none of it.
void RecordReader::Damaged(const std::string& name, const std::string& what) {
  if (damage_.empty()) {
    damage_ = "the value \"" + name + "\" of " + key_.Name() +
              (key_.Query(name).exists ? " is not " + what : " is missing");
  }
}

EventStamp RecordReader::Stamp(const std::string& name) {
  const EventStamp stamp = key_.Query(name).type == RegistryValueType::Text
                               ? EventStamp::Parse(key_.ReadText(name))
                               : EventStamp{};
  if (stamp.IsNone()) Damaged(name, "a stamp of four numbers below 65536 (REG_SZ)");
  return stamp;
}

std::uint32_t RecordReader::Number(const std::string& name, std::uint32_t low,
                                   std::uint32_t high) {
  const RegistryValueInfo info = key_.Query(name);
  const bool typed = info.type == RegistryValueType::Number && info.size == 4;
  const std::uint32_t number = typed ? key_.ReadNumber(name, 0) : 0;
  if (typed && number >= low && number <= high) return number;
  Damaged(name, "a number (REG_DWORD) from " + std::to_string(low) + " to " +
                    std::to_string(high));
  return low;
}

std::vector<std::string> RecordReader::KeyNames(const std::string& name) {
  if (key_.Query(name).type == RegistryValueType::Text) return SplitKeyNames(key_.ReadText(name));
  Damaged(name, "a list of key names (REG_SZ)");
  return {};
}

KeyItself OpenMachineRecord(const char* path, bool create, RegistryRights rights) {
  return KeyItself(RegistryRoot::LocalMachine, RegistryView::Own, deployment::kMachineSoftwareKey,
                   path, create, rights);
}

KeyItself WritableMachineRecord(const char* path) {
  KeyItself key = OpenMachineRecord(path, true, RegistryRights::Full);
  if (!key.IsOpen()) throw ERegistryException(key.Problem());
  return key;
}
