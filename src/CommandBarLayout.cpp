#include "CommandBarLayout.h"

#include "Exceptions.h"

namespace commandbar {

namespace {

using browserreg::kCommandBarKey;
using browserreg::kLayoutValue;

// The install run refuses only texts and numbers; binary-only takes nothing else.
bool TypeAccepted(RegistryValueType type, LayoutRules rules) {
  if (rules == LayoutRules::BinaryOnly) return type == RegistryValueType::Binary;
  return !IsTextType(type) && type != RegistryValueType::Number;
}

}  // namespace

namespace detail {

LayoutRead ReadSorted(RegistryAccessor& registry, LayoutRules rules, std::string* unreadable) {
  LayoutRead read{LayoutFound::KeyMissing, {false, RegistryValueType::None, 0}, {}};
  if (!OpenLayoutKey(registry, false)) {
    // A read-only look tells a missing key from a refused one.
    if (registry.ProbeSubkey(kCommandBarKey) != KeyPresence::Missing) {
      read.found = LayoutFound::KeyRefused;
    }
    return read;
  }
  read.info = registry.QueryValue(kLayoutValue);
  if (!read.info.exists) return {LayoutFound::ValueMissing, read.info, {}};
  if (!TypeAccepted(read.info.type, rules)) return {LayoutFound::WrongType, read.info, {}};
  read.bytes.resize(read.info.size);
  try {
    const std::int32_t length = registry.ReadBytes(kLayoutValue, read.bytes.data(),
                                                   static_cast<std::int32_t>(read.info.size));
    read.bytes.resize(static_cast<std::size_t>(length));
  } catch (const ERegistryException& e) {
    if (unreadable != nullptr) *unreadable = e.Message();
    return {LayoutFound::Unreadable, read.info, {}};
  }
  read.found = Shape(read.bytes);
  return read;
}

}  // namespace detail

}  // namespace commandbar
