// Ready-to-print certificates: one PDF page per line of an award's list, each
// page the certificate document as a merged copy shows that line.
#pragma once

#include <string>
#include <vector>

#include "host/docx/document.h"

namespace korvane::awards {

// Draws `doc` once per line, its merge fields showing the line's texts under
// `headings`, into the PDF at `path` (replaced only once it is complete).
// Throws host::print::PrintError when the PDF cannot be written.
void WriteCertificatePdf(const host::docx::Document& doc, const std::vector<std::string>& headings,
                         const std::vector<std::vector<std::string>>& lines, const std::string& path,
                         const std::string& title);

}  // namespace korvane::awards
