// 赛程设置: the first day of the meet and how many days it lasts, asked before
// a new schedule is made. OK hands back the meet's start as a text such as
// 2026年10月25日3天; Cancel hands back nothing, and no schedule is made.
#pragma once

#include <string>

#include "shell/dialog.h"

namespace korvane::schedule {

class Frm赛程设置 : public shell::DialogModel {
 public:
  // `year`: the current year, written in front of the answer.
  explicit Frm赛程设置(int year);

  // The spin buttons change the month (4 to 11), the day (1 to the month's
  // last day) and the number of days (2 to 7) by one, without wrapping; the
  // boxes show the values with their units. A number typed into a box moves
  // its spin button; any other text is put back.
  void SpinButton1_Change();
  void SpinButton2_Change();
  void SpinButton3_Change();
  void TextBox1_Change();
  void TextBox2_Change();
  void TextBox3_Change();
  void CmdOk_Click();
  void CmdCancel_Click();

  // Empty until OK.
  const std::string& MeetStartSpec() const { return meetStartSpec_; }

  shell::TextBox& TextBox1;
  shell::SpinButton& SpinButton1;
  shell::TextBox& TextBox2;
  shell::SpinButton& SpinButton2;
  shell::TextBox& TextBox3;
  shell::SpinButton& SpinButton3;
  shell::Button& CmdOk;
  shell::Button& CmdCancel;

 private:
  void Typed(shell::TextBox& box, shell::SpinButton& spin, const char* unit);
  int year_;
  std::string meetStartSpec_;
};

}  // namespace korvane::schedule
