#include "schedule/settings_form.h"

namespace korvane::schedule {

namespace {

constexpr const char* kMonthUnit = "月";
constexpr const char* kDayUnit = "日";
constexpr const char* kDaysUnit = "天";

int LastDayOf(int month) { return month == 4 || month == 6 || month == 9 || month == 11 ? 30 : 31; }

// The digits a box holds before its unit ("12月", "12"); -1 for anything else.
int TypedNumber(const std::string& text, const char* unit) {
  std::string s = text;
  const std::string u = unit;
  if (s.size() >= u.size() && s.compare(s.size() - u.size(), u.size(), u) == 0) s.resize(s.size() - u.size());
  if (s.empty() || s.size() > 2) return -1;
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v;
}

}  // namespace

Frm赛程设置::Frm赛程设置(int year)
    : DialogModel("赛程设置"),
      TextBox1(AddTextBox("TextBox1", "10月")),
      SpinButton1(AddSpinButton("SpinButton1", 4, 11, 10)),
      TextBox2(AddTextBox("TextBox2", "25日")),
      SpinButton2(AddSpinButton("SpinButton2", 1, 31, 25)),
      TextBox3(AddTextBox("TextBox3", "3天")),
      SpinButton3(AddSpinButton("SpinButton3", 2, 7, 3)),
      CmdOk(AddButton("CmdOk", "确定", [this] { CmdOk_Click(); })),
      CmdCancel(AddButton("CmdCancel", "取消", [this] { CmdCancel_Click(); })),
      year_(year) {
  AddLabel("Label1", "起始日");
  AddLabel("Label2", "赛　程");
  SpinButton1.onChange = [this] { SpinButton1_Change(); };
  SpinButton2.onChange = [this] { SpinButton2_Change(); };
  SpinButton3.onChange = [this] { SpinButton3_Change(); };
  TextBox1.onChange = [this] { TextBox1_Change(); };
  TextBox2.onChange = [this] { TextBox2_Change(); };
  TextBox3.onChange = [this] { TextBox3_Change(); };
  onCloseBox = [this] { CmdCancel_Click(); };
}

void Frm赛程设置::SpinButton1_Change() {
  TextBox1.SetText(std::to_string(SpinButton1.Value()) + kMonthUnit);
  // The day follows the month's length; a day beyond it falls to the last one.
  SpinButton2.SetMax(LastDayOf(SpinButton1.Value()));
}

void Frm赛程设置::SpinButton2_Change() { TextBox2.SetText(std::to_string(SpinButton2.Value()) + kDayUnit); }

void Frm赛程设置::SpinButton3_Change() { TextBox3.SetText(std::to_string(SpinButton3.Value()) + kDaysUnit); }

void Frm赛程设置::Typed(shell::TextBox& box, shell::SpinButton& spin, const char* unit) {
  const int v = TypedNumber(box.Text(), unit);
  if (v >= spin.Min() && v <= spin.Max()) spin.SetValue(v);
  // The box always shows its spin button's value with the unit.
  box.SetText(std::to_string(spin.Value()) + unit);
}

void Frm赛程设置::TextBox1_Change() { Typed(TextBox1, SpinButton1, kMonthUnit); }
void Frm赛程设置::TextBox2_Change() { Typed(TextBox2, SpinButton2, kDayUnit); }
void Frm赛程设置::TextBox3_Change() { Typed(TextBox3, SpinButton3, kDaysUnit); }

void Frm赛程设置::CmdOk_Click() {
  meetStartSpec_ = std::to_string(year_) + "年" + TextBox1.Text() + TextBox2.Text() + TextBox3.Text();
  Close();
}

void Frm赛程设置::CmdCancel_Click() {
  meetStartSpec_.clear();
  Close();
}

}  // namespace korvane::schedule
