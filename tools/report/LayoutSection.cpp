#include <cstdio>
#include <string>

#include "BrowserRegistry.h"
#include "Exceptions.h"
#include "LayoutValue.h"
#include "Report.h"
#include "Sections.h"

namespace {

constexpr std::size_t kEntrySize = 4;

// Columns: index, the entry's bytes, command id, flag.
const char kHeadFormat[] = "  %5s  %-11s  %3s  %4s";
const char kRowFormat[] = "  %5u  %-11s  %3u  %4u";

std::string Head() {
  char text[64];
  std::snprintf(text, sizeof text, kHeadFormat, "index", "bytes", "id", "flag");
  return text;
}

std::string Row(std::size_t index, const std::uint8_t* entry) {
  char text[64];
  std::snprintf(text, sizeof text, kRowFormat, static_cast<unsigned>(index),
                HexBytes(entry, kEntrySize).c_str(), static_cast<unsigned>(entry[0]),
                static_cast<unsigned>(entry[1]));
  return text;
}

// Every whole entry, the button's marked; what is left over after the last
// whole entry is shown as it is. Returns how many entries are the button's.
int ReportEntries(Report& report, const std::vector<std::uint8_t>& bytes, std::int32_t id) {
  report.Out() << Head() << "\n";
  int marked = 0;
  const std::size_t whole = bytes.size() / kEntrySize;
  for (std::size_t i = 0; i < whole; ++i) {
    const std::uint8_t* entry = &bytes[i * kEntrySize];
    const bool own = id >= 0 && entry[0] == static_cast<std::uint8_t>(id);
    report.Out() << Row(i, entry) << (own ? "  <- this button" : "") << "\n";
    if (own) ++marked;
  }
  if (bytes.size() % kEntrySize != 0) {
    report.Out() << "  (left over: "
                 << HexBytes(&bytes[whole * kEntrySize], bytes.size() % kEntrySize) << ")\n";
  }
  return marked;
}

void ReportBytes(Report& report, const LayoutValue& value, std::int32_t id) {
  const std::size_t length = value.bytes.size();
  report.Out() << "  " << TypeAndSize(value.info) << ", " << length / kEntrySize << " entries\n";
  if (length == 0) {
    report.Problem(
        "the layout is empty: the browser shows its default command bar, "
        "without the button");
    return;
  }
  const int marked = ReportEntries(report, value.bytes, id);
  if (value.kind == LayoutValueKind::TooLong) {
    report.Problem("the layout is longer than " + std::to_string(browserreg::kLayoutCapacity) +
                   " bytes: an install run refuses it");
  }
  if (length % kEntrySize != 0) {
    report.Problem("the layout's length (" + std::to_string(length) +
                   " bytes) is not a multiple of 4: an install run refuses it");
  }
  if (id >= 0 && marked == 0) {
    report.Problem("no entry carries the button's command id " + std::to_string(id));
  }
  if (marked > 1) {
    report.Out() << "  (the button stands " << marked
                 << " times: each install run adds one entry)\n";
  }
}

LayoutValue ReadLayoutValueFor(Report& report) {
  try {
    return ReadLayoutValue();
  } catch (const ERegistryException& e) {  // the value changed while it was read
    report.Problem(e.Message());
    return {LayoutValueKind::Unreadable, {}, {}};
  }
}

}  // namespace

void ReportLayout(Report& report, std::int32_t commandId) {
  report.Out() << "Command bar layout HKEY_CURRENT_USER" << browserreg::kCommandBarKey << ", value "
               << browserreg::kLayoutValue << "\n";
  const LayoutValue value = ReadLayoutValueFor(report);
  switch (value.kind) {
    case LayoutValueKind::KeyMissing:
      report.Problem("the CommandBar key is missing: the button is not in the layout");
      return;
    case LayoutValueKind::KeyNotOpened:
      report.Problem("the CommandBar key cannot be opened with full access");
      return;
    case LayoutValueKind::Missing:
      report.Problem(
          "ButtonLayout is missing: the browser shows its default command bar, "
          "without the button");
      return;
    case LayoutValueKind::Unreadable:
      return;
    case LayoutValueKind::WrongType:
      report.Out() << "  " << TypeAndSize(value.info) << "\n";
      report.Problem("wrong value type: ButtonLayout is " + TypeName(value.info.type) +
                     ", not binary (REG_BINARY); an install run refuses it");
      return;
    case LayoutValueKind::Bytes:
    case LayoutValueKind::TooLong:
      ReportBytes(report, value, commandId);
      return;
  }
}
