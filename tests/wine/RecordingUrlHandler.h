// The url_recorder program registered as the machine's handler for http
// URLs, so that a test can see exactly what the shell handed over.
#pragma once

#include <string>

#include "RegistryTestKeys.h"

class RecordingUrlHandler {
 public:
  /// Registers the recorder; the handler registered before comes back when
  /// the object goes.
  RecordingUrlHandler();
  ~RecordingUrlHandler();
  RecordingUrlHandler(const RecordingUrlHandler&) = delete;
  RecordingUrlHandler& operator=(const RecordingUrlHandler&) = delete;

  /// The command line the recorder gets for `url` if the shell passes the
  /// URL on exactly.
  std::string CommandLineFor(const std::string& url) const;

  /// The recorder's first command line; empty when it has written none
  /// within `seconds` (the shell starts it and does not wait for it).
  std::string WaitForCommandLine(int seconds) const;

 private:
  std::string output_;
  std::string command_;
  testreg::StoredValue previous_;
};
