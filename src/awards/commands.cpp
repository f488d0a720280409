// The 赛事奖项 menu's commands and their texts.
#include "awards/awards.h"

namespace korvane::awards {

void RegisterCommands(shell::CommandTable& table) {
  table.Register("PrizeSetup", PrizeSetup);
  table.Register("PrizeList", PrizeList);
  table.Register("PrizeCreate", PrizeCreate);
}

namespace text {

std::string CertificateTemplateMissing(std::string_view awardType) {
  return "“" + std::string(awardType) + "”模板文件缺失，请联系作者!";
}

std::string PlacesRefused(std::string_view cell, std::string_view value) {
  return "“奖项设置”的“设置”工作表单元格" + std::string(cell) + "的名次数“" + std::string(value) +
         "”不是0到10之间的整数（名次最多为十名），明细单未生成，请修改后再试。";
}

std::string RelayRefused(std::string_view cell, std::string_view heading) {
  return "“奖项设置”的“设置”工作表单元格" + std::string(cell) + "的接力项目“" + std::string(heading) +
         "”没有以每队人数开头（如“4×100米接力”），明细单未生成，请修改后再试。";
}

std::string SheetMissing(std::string_view workbook, std::string_view sheet) {
  return "工作簿“" + std::string(workbook) + "”中缺少工作表“" + std::string(sheet) + "”，操作终止!";
}

std::string TooManyGrades(int grades) {
  return "“设置”工作表中有" + std::to_string(grades) + "个年级，奖项设置最多容纳" + std::to_string(kGradeBlocks) +
         "个年级，操作终止!";
}

std::string CannotOpen(std::string_view path, std::string_view reason) {
  return "无法打开“" + std::string(path) + "”：" + std::string(reason);
}

std::string CannotSave(std::string_view reason) { return std::string(reason); }

std::string PdfsMade(const std::vector<std::pair<std::string, int>>& typeAndPages) {
  std::string s = "可直接打印的奖状：";
  for (std::size_t i = 0; i < typeAndPages.size(); ++i)
    s += (i > 0 ? "、" : "") + typeAndPages[i].first + ".pdf（" + std::to_string(typeAndPages[i].second) + "页）";
  return s;
}

std::string PlaceholdersMissing(const std::vector<std::pair<std::string, std::string>>& typeAndHeading) {
  std::string s = "以下栏目在奖状模板中没有占位符，未插入合并域：";
  for (const auto& [type, heading] : typeAndHeading) s += "\n" + type + "：《" + heading + "》";
  return s;
}

}  // namespace text

}  // namespace korvane::awards
