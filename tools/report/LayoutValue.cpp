#include "LayoutValue.h"

#include "BrowserRegistry.h"

using browserreg::kCommandBarKey;
using browserreg::kLayoutCapacity;
using browserreg::kLayoutValue;

namespace {

// An install run reads only binary and untyped values; texts and numbers it
// refuses, whatever their size.
bool IsRefusedType(RegistryValueType type) {
  return type == RegistryValueType::Text || type == RegistryValueType::ExpandableText ||
         type == RegistryValueType::Number;
}

}  // namespace

LayoutValue ReadLayoutValue() {
  RegistryAccessor registry(RegistryRights::Read);
  registry.SelectHive(RegistryRoot::CurrentUser);
  const RegistryValueInfo none{false, RegistryValueType::None, 0};
  const KeyPresence presence = registry.ProbeSubkey(kCommandBarKey);
  if (presence == KeyPresence::Missing) return {LayoutValueKind::KeyMissing, none, {}};
  if (presence == KeyPresence::Refused || !registry.OpenSubkey(kCommandBarKey, false)) {
    return {LayoutValueKind::KeyRefused, none, {}};
  }
  const RegistryValueInfo info = registry.QueryValue(kLayoutValue);
  if (!info.exists) return {LayoutValueKind::Missing, info, {}};
  if (IsRefusedType(info.type)) return {LayoutValueKind::WrongType, info, {}};
  const bool tooLong = info.size > static_cast<std::uint32_t>(kLayoutCapacity);
  LayoutValue value{tooLong ? LayoutValueKind::TooLong : LayoutValueKind::Bytes, info,
                    std::vector<std::uint8_t>(info.size)};
  const std::int32_t length = registry.ReadBytes(kLayoutValue, value.bytes.data(),
                                                 static_cast<std::int32_t>(value.bytes.size()));
  value.bytes.resize(static_cast<std::size_t>(length));
  return value;
}
