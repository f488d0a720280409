// A workbook of one sheet in a host of its own, for the host's own tests.
#pragma once

#include <string>

#include "host/application.h"
#include "host/workbook.h"
#include "host/worksheet.h"

namespace korvane::host::testing {

struct Book {
  WorkbookHost host;
  Workbook& book = host.Add();
  Worksheet& ws = book.Sheet(1);

  // A new sheet named `name` after the last one.
  Worksheet& AddSheet(const std::string& name) {
    Worksheet& s = book.AddSheet(nullptr, &book.Sheet(book.Count()));
    s.SetName(name);
    return s;
  }
};

}  // namespace korvane::host::testing
