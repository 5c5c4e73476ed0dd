// SecurityCommand: View > 設定 > セキュリティの設定 (command
// ID_SETTINGS_SECURITY).  Shows the security settings (security_dialog.h);
// on OK the record changes in place and `changed` runs, which writes the
// settings' file and puts them into effect.  User-interface thread only.
#pragma once

#include <functional>

class WindowHost;
struct SecuritySettings;

class SecurityCommand {
 public:
  SecurityCommand(WindowHost& host, SecuritySettings& settings, std::function<void()> changed);

 private:
  void run();

  WindowHost& host_;
  SecuritySettings& settings_;
  std::function<void()> changed_;
};
