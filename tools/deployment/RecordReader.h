// Reads the values of one of Vorlinde's records, each of its one type and
// range. The first value that is not is the record's damage, named for the
// reader; nothing is to be applied from a damaged record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "EventStamp.h"
#include "KeyItself.h"

class RecordReader {
 public:
  explicit RecordReader(KeyItself& key) : key_(key) {}

  /// Whether the value `name` stands, of whatever type.
  bool Has(const std::string& name);
  /// A stamp as text (REG_SZ), each of its four parts below 65536.
  EventStamp Stamp(const std::string& name);
  /// A number (REG_DWORD) from `low` to `high`.
  std::uint32_t Number(const std::string& name, std::uint32_t low, std::uint32_t high);
  /// Key names joined by backslashes (REG_SZ; empty for none).
  std::vector<std::string> KeyNames(const std::string& name);

  /// Why the record cannot be used; empty while every value read was sound.
  const std::string& Damage() const { return damage_; }

 private:
  void Damaged(const std::string& name, const std::string& what);

  KeyItself& key_;
  std::string damage_;
};

/// One of Vorlinde's records under the machine hive (`path`, below
/// SOFTWARE), its key opened as itself in the program's own view.
KeyItself OpenMachineRecord(const char* path, bool create, RegistryRights rights);
/// The same, created when missing, for writing; raises ERegistryException
/// naming the key when the registry refuses it or a link stands there.
KeyItself WritableMachineRecord(const char* path);
