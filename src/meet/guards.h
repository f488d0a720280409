// Scoped changes of host state that a command must undo when it ends, also
// when it stops early or fails: a sheet unprotected for writing, alerts or
// screen updating switched off.
#pragma once

#include "host/application.h"
#include "host/worksheet.h"

namespace korvane::setup {

// Unprotects a sheet whose contents are protected and protects it again
// (drawing objects, contents, scenarios) when the scope ends.
class SheetUnprotected {
 public:
  explicit SheetUnprotected(host::Worksheet& ws) : ws_(ws), wasProtected_(ws.ProtectContents()) {
    if (wasProtected_) ws_.Unprotect();
  }
  ~SheetUnprotected() {
    if (wasProtected_) ws_.Protect(true, true, true);
  }
  SheetUnprotected(const SheetUnprotected&) = delete;
  SheetUnprotected& operator=(const SheetUnprotected&) = delete;

 private:
  host::Worksheet& ws_;
  bool wasProtected_;
};

class AlertsOff {
 public:
  explicit AlertsOff(host::WorkbookHost& host) : host_(host), was_(host.displayAlerts) { host_.displayAlerts = false; }
  ~AlertsOff() { host_.displayAlerts = was_; }
  AlertsOff(const AlertsOff&) = delete;
  AlertsOff& operator=(const AlertsOff&) = delete;

 private:
  host::WorkbookHost& host_;
  bool was_;
};

class ScreenUpdatingOff {
 public:
  explicit ScreenUpdatingOff(host::WorkbookHost& host) : host_(host), was_(host.screenUpdating) {
    host_.screenUpdating = false;
  }
  ~ScreenUpdatingOff() { host_.screenUpdating = was_; }
  ScreenUpdatingOff(const ScreenUpdatingOff&) = delete;
  ScreenUpdatingOff& operator=(const ScreenUpdatingOff&) = delete;

 private:
  host::WorkbookHost& host_;
  bool was_;
};

}  // namespace korvane::setup
