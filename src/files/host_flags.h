// Puts the host's ScreenUpdating and DisplayAlerts back as they were when a
// command ends, also when it stops early or fails.
#pragma once

#include "host/application.h"

namespace korvane::files {

class HostFlagsGuard {
 public:
  explicit HostFlagsGuard(host::WorkbookHost& host)
      : host_(host), screenUpdating_(host.screenUpdating), displayAlerts_(host.displayAlerts) {}
  ~HostFlagsGuard() {
    host_.screenUpdating = screenUpdating_;
    host_.displayAlerts = displayAlerts_;
  }
  HostFlagsGuard(const HostFlagsGuard&) = delete;
  HostFlagsGuard& operator=(const HostFlagsGuard&) = delete;

 private:
  host::WorkbookHost& host_;
  bool screenUpdating_;
  bool displayAlerts_;
};

}  // namespace korvane::files
