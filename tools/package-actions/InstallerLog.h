// The words of the tools' actions, carried into the Windows Installer log:
// each line the action writes becomes one information message of /l*v.
#pragma once

#include <string>

#include "TextOut.h"

class InstallerSession;

class InstallerLog : public TextOut {
 public:
  explicit InstallerLog(const InstallerSession& session) : session_(session) {}
  ~InstallerLog() override;
  InstallerLog(const InstallerLog&) = delete;
  InstallerLog& operator=(const InstallerLog&) = delete;

 protected:
  void Write(const std::string& text) override;

 private:
  void Flush();

  const InstallerSession& session_;
  std::string line_;  // what is written but not yet ended by a line break
};
