#include "shell/about_form.h"

namespace korvane::shell {

#ifndef KORVANE_VERSION_MAJOR
#error "KORVANE_VERSION_MAJOR, _MINOR and _PATCH come from the build"
#endif

#define KORVANE_STR2(x) #x
#define KORVANE_STR(x) KORVANE_STR2(x)

std::string VersionLine() {
  return "版本：" KORVANE_STR(KORVANE_VERSION_MAJOR) "." KORVANE_STR(KORVANE_VERSION_MINOR) "." KORVANE_STR(
      KORVANE_VERSION_PATCH);
}

const std::string& AboutDescription() {
  static const std::string text =
      "　　本软件用于中学校运会、县运会的自动报表及打印，它将体育老师从繁重的运动员号码设置及分组分道编排中解放出来，只"
      "需提供各参赛代表队的报名数据，就可自动进行编号并生成号码对照表和自动进行分组分道编排。由于极大地减少了数据的人工"
      "重复输入，因而大大地降低了前后不一致的人为打印错误。";
  return text;
}

AboutForm::AboutForm() : DialogModel("关于 Korvane") {
  AddLabel("lblDescription", AboutDescription());
  AddLabel("lblVersion", VersionLine());
  AddButton("cmdOK", "确定", [this] { Close(); });
}

}  // namespace korvane::shell
