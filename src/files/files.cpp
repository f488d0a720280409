// Texts of the File menu's workbook commands.
#include "files/files.h"

namespace korvane::files {

namespace text {
std::string WrongShape(std::string_view problem) { return std::string(kWrongShape) + "\n" + std::string(problem); }
std::string SourceMissing(std::string_view path) { return "源文件：“" + std::string(path) + "”未找到!"; }
std::string CannotCreate(std::string_view reason) { return "无法新建运动会工作簿：" + std::string(reason); }
std::string CannotOpen(std::string_view path, std::string_view reason) {
  return "无法打开运动会工作簿“" + std::string(path) + "”：" + std::string(reason);
}
std::string OpenNextNewestQuestion(std::string_view damaged, std::string_view reason, std::string_view next) {
  return "无法打开运动会工作簿“" + std::string(damaged) + "”：" + std::string(reason) + "\n要打开次新的运动会工作簿“" +
         std::string(next) + "”吗？";
}
std::string CannotRead(std::string_view path, std::string_view reason) {
  return "无法读取报名数据文件“" + std::string(path) + "”，没有导入任何数据。" + std::string(reason);
}
std::string OpenElsewhere(std::string_view path) {
  return "报名数据文件“" + std::string(path) + "”正被其他程序打开，请先在该程序中关闭它。没有导入任何数据。";
}
std::string NotWritable(std::string_view sheet, std::string_view reason) {
  return "报名表“" + std::string(sheet) + "”不能写入报名数据，没有导入任何数据。" + std::string(reason);
}
std::string SheetMissing(std::string_view sheet) {
  return "运动会工作簿中没有工作表“" + std::string(sheet) + "”，没有导出任何数据。";
}
std::string ReplaceEntriesQuestion(std::string_view path) {
  return "“" + std::string(path) +
         "”中已有各队填写的报名数据，导入报名数据读取的正是这个文件。\n要用新导出的空白报名表替换它吗？"
         "（原文件将另存为同一文件夹中的 .bak 副本）";
}
std::string ExportFailed(std::string_view path, std::string_view reason) {
  return "无法导出到“" + std::string(path) + "”：" + std::string(reason);
}
std::string NotSaved(std::string_view list) { return "以下工作簿没有保存：\n" + std::string(list); }
}  // namespace text

}  // namespace korvane::files
