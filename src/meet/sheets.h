// Small helpers the processing commands share: finding the sheets they need,
// removing generated sheets without a Program at hand, and the scoped state a
// command must put back however it ends.
#pragma once

#include <string_view>

#include "host/application.h"
#include "host/value.h"
#include "host/workbook.h"
#include "host/worksheet.h"

namespace korvane::processing {

// The sheet of that name; throws host::HostError with a message naming it
// when the workbook has none.
host::Worksheet& RequireSheet(host::Workbook& book, std::string_view name);

// Deletes the generated sheets from `stage` (1..8) on, where present, without
// asking. True when the sheet of `stage` itself existed. The workbook's
// structure must not be protected.
bool DeleteStages(host::Workbook& book, int stage);

// An empty cell, or one holding empty text.
inline bool IsBlank(const host::CellValue& v) { return v.IsEmpty() || (v.IsText() && v.Text().empty()); }

// A text cell holding exactly `text`.
inline bool IsText(const host::CellValue& v, std::string_view text) { return v.IsText() && v.Text() == text; }

// Lifts the workbook's structure protection for a command and protects it
// again with structure and windows when the command ends, also when it fails.
class StructureOpen {
 public:
  explicit StructureOpen(host::Workbook& book) : book_(book) { book_.Unprotect(); }
  ~StructureOpen() { book_.Protect(true, true); }
  StructureOpen(const StructureOpen&) = delete;
  StructureOpen& operator=(const StructureOpen&) = delete;

 private:
  host::Workbook& book_;
};

// Unprotects a sheet for a command's writes and protects it (drawing objects,
// contents, scenarios) when the scope ends, whatever its protection was before.
class SheetOpen {
 public:
  explicit SheetOpen(host::Worksheet& ws) : ws_(ws) { ws_.Unprotect(); }
  ~SheetOpen() { ws_.Protect(true, true, true); }
  SheetOpen(const SheetOpen&) = delete;
  SheetOpen& operator=(const SheetOpen&) = delete;

 private:
  host::Worksheet& ws_;
};

}  // namespace korvane::processing
