// Worksheets drawn as a spreadsheet prints them, page by page exactly as
// Paginate breaks them: paper and orientation, margins and centring, the print
// scale, repeated print titles, hidden rows and columns, merged cells, fonts,
// alignment (general text running over empty neighbours, centre across
// selection), wrap, shrink to fit, vertical text, borders by edge (double
// lines drawn double), fills and conditional-format highlights, number
// formats, and the header and footer texts with &P and &N.
//
// Fonts: 黑体, 微软雅黑, 等线 and the Latin sans fonts print in kSansFace;
// 宋体, 仿宋, 楷体 and every other font in kSerifFace.
//
// Page numbers: a sheet with a first page number starts there; one without
// continues from the sheet before it in the job (the first from 1). &N is the
// number of pages of the whole job.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/print/pdf.h"

namespace korvane::host {
class Worksheet;
}

namespace korvane::host::print {

// Draws every printed page of the sheets, in order, as new pages of `doc`.
// Returns the number of pages drawn (0 when nothing of them prints).
int RenderSheets(const std::vector<const Worksheet*>& sheets, PdfDocument& doc);

// The number of pages RenderSheets draws for these sheets.
int PrintedPageCount(const std::vector<const Worksheet*>& sheets);

// The printing face for a spreadsheet font name.
std::string FaceForFont(std::string_view fontName);

// A header or footer section with its codes replaced: &P page number, &N
// page count, &A sheet name, &F file name, &D date, &T time, && an ampersand;
// font, size and colour codes are dropped.
std::string ExpandHeaderFooter(std::string_view section, int page, int pages, std::string_view sheetName,
                               std::string_view fileName);

}  // namespace korvane::host::print
