// Takes the place of a browser in the Wine tests: appends the command line
// it was started with, and CR LF, to the file named by its first argument.
#include <string>

#include "Handles.h"
#include "Win32.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string line = std::string(GetCommandLineA()) + "\r\n";
  // Readers may look in at any time; they must never make a line go missing.
  const ScopedFileHandle file(CreateFileA(argv[1], FILE_APPEND_DATA,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 1;
  DWORD written = 0;
  const bool complete = WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()),
                                  &written, nullptr) &&
                        written == line.size();
  return complete ? 0 : 1;
}
