// The shipped templates, each built as a workbook of the host.
#pragma once

#include <string>
#include <vector>

#include "host/application.h"
#include "host/workbook.h"

namespace korvane::templates {

// The meet template: 设置, 报名表样表, 比赛项目名单, 成绩登记表, 记录表1-3, set up
// for a default meet that is ready to use.
host::Workbook& BuildMeetTemplate(host::WorkbookHost& host);

// The schedule template: 附件 (the item lists), 径赛 and 田赛 (the printed schedule).
host::Workbook& BuildScheduleTemplate(host::WorkbookHost& host);

// The prize template: 设置 (seven grade blocks), 精神文明奖, 团体总分奖, 单项奖.
host::Workbook& BuildPrizeTemplate(host::WorkbookHost& host);

// The three certificate templates (精神文明奖.docx, 团体总分奖.docx, 单项奖.docx)
// written into the prize folder.
void WriteCertificateTemplates(const std::string& prizeFolder);

// A new workbook of the host whose sheets carry the given names, in order.
host::Workbook& NewWorkbook(host::WorkbookHost& host, const std::vector<std::string>& sheetNames);

}  // namespace korvane::templates
