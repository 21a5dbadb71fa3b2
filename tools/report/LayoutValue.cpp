#include "LayoutValue.h"

#include "Exceptions.h"
#include "RegistryAccessor.h"

namespace {

const char kCommandBarKey[] = "\\Software\\Microsoft\\Internet Explorer\\LowRegistry\\CommandBar";
const char kLayoutValue[] = "ButtonLayout";
// Room for any layout a browser could have written; the registry itself
// refuses far smaller values than this.
constexpr std::int32_t kLargeCapacity = 1 << 20;

bool TryReadBytes(RegistryAccessor& registry, std::int32_t capacity,
                  std::vector<std::uint8_t>& bytes) {
  bytes.assign(static_cast<std::size_t>(capacity), 0);
  try {
    const std::int32_t length = registry.ReadBytes(kLayoutValue, bytes.data(), capacity);
    bytes.resize(static_cast<std::size_t>(length));
    return true;
  } catch (const ERegistryException&) {
    bytes.clear();
    return false;
  }
}

bool IsText(RegistryAccessor& registry) {
  try {
    registry.ReadText(kLayoutValue);
    return true;
  } catch (const ERegistryException&) {
    return false;
  }
}

}  // namespace

// The accessor tells value types apart only by what each read refuses, so
// the reads go in the order that separates them: binary within the limit,
// then text, then binary beyond the limit; what all three refuse is a number.
LayoutValue ReadLayoutValue() {
  RegistryAccessor registry;
  registry.SelectHive(RegistryRoot::CurrentUser);
  if (!registry.HasSubkey(kCommandBarKey)) return {LayoutValueKind::KeyMissing, {}};
  if (!registry.OpenSubkey(kCommandBarKey, false)) return {LayoutValueKind::KeyNotOpened, {}};
  if (!registry.HasValue(kLayoutValue)) return {LayoutValueKind::Missing, {}};
  LayoutValue value{LayoutValueKind::Bytes, {}};
  if (TryReadBytes(registry, kLayoutCapacity, value.bytes)) return value;
  if (IsText(registry)) return {LayoutValueKind::Text, {}};
  value.kind = LayoutValueKind::TooLong;
  if (TryReadBytes(registry, kLargeCapacity, value.bytes)) return value;
  return {LayoutValueKind::Number, {}};
}
