#include "SystemClock.h"

#include "Win32.h"

UtcTime CurrentUtcTime() {
  SYSTEMTIME now = {};
  GetSystemTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}
