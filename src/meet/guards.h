// Scoped changes of host state that a command must undo when it ends, also
// when it stops early or fails: the host's alert and screen-updating flags,
// a workbook's structure protection, a sheet's protection.
#pragma once

#include "host/application.h"
#include "host/workbook.h"
#include "host/worksheet.h"

namespace korvane::meet {

// Sets one of the host's flags for the scope and puts back the value it had.
class HostFlagSet {
 public:
  HostFlagSet(host::WorkbookHost& application, bool host::WorkbookHost::*flag, bool value)
      : application_(application), flag_(flag), before_(application.*flag) {
    application_.*flag_ = value;
  }
  ~HostFlagSet() { application_.*flag_ = before_; }
  HostFlagSet(const HostFlagSet&) = delete;
  HostFlagSet& operator=(const HostFlagSet&) = delete;

 private:
  host::WorkbookHost& application_;
  bool host::WorkbookHost::*flag_;
  bool before_;
};

// The host's DisplayAlerts off for the scope.
class AlertsOff : public HostFlagSet {
 public:
  explicit AlertsOff(host::WorkbookHost& application)
      : HostFlagSet(application, &host::WorkbookHost::displayAlerts, false) {}
};

// The host's ScreenUpdating off for the scope.
class ScreenUpdatingOff : public HostFlagSet {
 public:
  explicit ScreenUpdatingOff(host::WorkbookHost& application)
      : HostFlagSet(application, &host::WorkbookHost::screenUpdating, false) {}
};

// Puts the host's ScreenUpdating and DisplayAlerts back as they were, for a
// command that switches them on and off as it goes.
class HostFlagsGuard {
 public:
  explicit HostFlagsGuard(host::WorkbookHost& application)
      : screenUpdating_(application, &host::WorkbookHost::screenUpdating, application.screenUpdating),
        displayAlerts_(application, &host::WorkbookHost::displayAlerts, application.displayAlerts) {}

 private:
  HostFlagSet screenUpdating_;
  HostFlagSet displayAlerts_;
};

// What a guard does with the protection it lifted when its scope ends.
enum class AtEnd {
  Restore,  // protects again only what was protected before
  Protect,  // protects, whatever the protection was before
};

// Lifts the workbook's structure protection for the scope (AtEnd::Restore
// touches an unprotected workbook not at all). At the end it is either put
// back as it was (password included) or set to structure and windows. Restore() may put it back earlier, e.g. before
// the workbook is saved.
class StructureOpen {
 public:
  StructureOpen(host::Workbook& book, AtEnd atEnd) : book_(book), atEnd_(atEnd), before_(book.Protection()) {
    if (atEnd_ == AtEnd::Protect || before_.structure || before_.windows) book_.Unprotect();
  }
  ~StructureOpen() { Restore(); }
  void Restore() {
    if (done_) return;
    done_ = true;
    if (atEnd_ == AtEnd::Protect)
      book_.Protect(/*structure=*/true, /*windows=*/true);
    else if (before_.structure || before_.windows)
      book_.MutableProtection() = before_;
  }
  StructureOpen(const StructureOpen&) = delete;
  StructureOpen& operator=(const StructureOpen&) = delete;

 private:
  host::Workbook& book_;
  AtEnd atEnd_;
  host::WorkbookProtection before_;
  bool done_ = false;
};

// Unprotects a sheet for the scope's writes. At the end the sheet is
// protected (drawing objects, contents, scenarios) when its contents were
// protected before (AtEnd::Restore; a sheet without that is not touched) or
// in any case (AtEnd::Protect).
class SheetOpen {
 public:
  SheetOpen(host::Worksheet& sheet, AtEnd atEnd)
      : sheet_(sheet), protectAtEnd_(atEnd == AtEnd::Protect || sheet.ProtectContents()) {
    if (protectAtEnd_) sheet_.Unprotect();
  }
  ~SheetOpen() {
    if (protectAtEnd_) sheet_.Protect(true, true, true);
  }
  SheetOpen(const SheetOpen&) = delete;
  SheetOpen& operator=(const SheetOpen&) = delete;

 private:
  host::Worksheet& sheet_;
  bool protectAtEnd_;
};

}  // namespace korvane::meet
