#include "schedule/preview.h"

namespace korvane::schedule {

FrmPreview::FrmPreview(const Timeline& track, const Timeline& field)
    : DialogModel("日程安排预览"),
      TbsPreview(AddTabStrip("TbsPreview", {"径赛", "田赛"})),
      jsList(AddListBox("jsList", 6)),
      tsList(AddListBox("tsList", 6)),
      cmdClose(AddButton("cmdClose", "关闭", [this] { cmdClose_Click(); })) {
  TbsPreview.onChange = [this] { TbsPreview_Change(); };
  Fill(jsList, track);
  Fill(tsList, field);
  TbsPreview_Change();
}

void FrmPreview::Fill(shell::ListBox& list, const Timeline& timeline) {
  for (const TimedRow& t : timeline.rows) {
    std::vector<std::string> row(6);
    // A ceremony or check-in shows its start time as typed, an event its span.
    const bool special = t.kind == RowKind::Opening || t.kind == RowKind::Closing || t.kind == RowKind::CheckIn;
    row[0] = special ? (t.row.size() > 2 ? t.row[2] : std::string()) : t.timeText;
    for (std::size_t c = 1; c <= 5; ++c) row[c] = c < t.row.size() ? t.row[c] : std::string();
    if (special) row[2] = row[3] = "";
    list.AddRow(std::move(row));
  }
}

void FrmPreview::TbsPreview_Change() {
  const bool field = TbsPreview.Index() != 0;
  tsList.visible = field;
  jsList.visible = !field;
}

void FrmPreview::cmdClose_Click() { Close(); }

}  // namespace korvane::schedule
