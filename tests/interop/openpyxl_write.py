"""Writes a workbook with openpyxl that uses the features our reader must
understand in files written by others: inline strings, ISO dates (t="d") in
the 1904 date system, formulas without cached values, styles, merges, row
and column formats, hidden sheets, protection, names, page setup,
conditional formats.

    /usr/bin/python3 openpyxl_write.py OUT.xlsx
"""
import datetime
import sys

import openpyxl
from openpyxl.formatting.rule import CellIsRule, FormulaRule
from openpyxl.styles import Alignment, Border, Font, PatternFill, Protection, Side
from openpyxl.utils.datetime import CALENDAR_MAC_1904
from openpyxl.workbook.defined_name import DefinedName
from openpyxl.workbook.protection import WorkbookProtection
from openpyxl.worksheet.pagebreak import Break


def main(path):
    wb = openpyxl.Workbook(iso_dates=True)
    wb.epoch = CALENDAR_MAC_1904
    ws = wb.active
    ws.title = "名单"

    ws["A1"] = "姓名"
    ws["B1"] = "成绩"
    ws["C1"] = "日期"
    ws["A2"] = "  张三  "
    ws["B2"] = 12.5
    ws["C2"] = datetime.datetime(2024, 4, 9, 8, 30, 0)
    ws["A3"] = "李四"
    ws["B3"] = 7
    ws["C3"] = datetime.datetime(1904, 1, 2)
    ws["A4"] = "王五"
    ws["B4"] = True
    ws["C4"] = datetime.datetime(2000, 2, 29, 23, 59, 59)
    ws["B5"] = "=SUM(B2:B3)"
    ws["A6"] = "多行\n文本"

    ws["A1"].font = Font(name="黑体", size=14, bold=True, italic=True, underline="single", strike=True,
                         color="FFFF0000")
    ws["A1"].alignment = Alignment(horizontal="center", vertical="center", wrap_text=True)
    ws["A1"].fill = PatternFill("solid", fgColor="FFFFFF00")
    thin = Side(style="thin")
    ws["B1"].border = Border(left=thin, right=Side(style="double", color="FF0000FF"), top=Side(style="medium"),
                             bottom=Side(style="dashed"))
    ws["B1"].alignment = Alignment(text_rotation=90, shrink_to_fit=True)
    ws["B2"].number_format = "0.00"
    ws["C2"].number_format = "yyyy-mm-dd h:mm"
    ws["C3"].number_format = "yyyy-mm-dd"
    ws["C4"].number_format = "yyyy-mm-dd h:mm:ss"
    ws["A3"].number_format = "@"
    ws["A4"].protection = Protection(locked=False)
    ws["D8"].fill = PatternFill("solid", fgColor="FF92D050")  # format only

    ws.merge_cells("A8:C8")
    ws.row_dimensions[8].height = 28
    ws.row_dimensions[9].hidden = True
    ws.column_dimensions["A"].width = 18
    ws.column_dimensions["E"].hidden = True

    ws.sheet_properties.tabColor = "FF00B050"
    ws.sheet_view.showGridLines = False
    ws.sheet_view.zoomScale = 90
    ws.protection.sheet = True

    ws.page_setup.paperSize = 9
    ws.page_setup.orientation = "landscape"
    ws.page_setup.firstPageNumber = 3
    ws.page_setup.useFirstPageNumber = True
    ws.page_setup.scale = 80
    ws.page_margins.left = 0.5
    ws.page_margins.footer = 0.4
    ws.print_options.horizontalCentered = True
    ws.oddFooter.center.text = "第 &P 页"
    ws.oddHeader.left.text = "左侧"
    ws.row_breaks.append(Break(id=10))
    ws.print_title_rows = "1:1"

    ws.conditional_formatting.add(
        "A2:C6", FormulaRule(formula=["$B2>10"], font=Font(bold=True, color="FF9C0006"),
                             fill=PatternFill(bgColor="FFFFC7CE")))
    ws.conditional_formatting.add(
        "B2:B6", CellIsRule(operator="between", formula=["1", "10"], fill=PatternFill(bgColor="FFC6EFCE")))

    second = wb.create_sheet("1")
    second["A1"] = 101
    second["A2"] = "=名单!B2*2"
    second.sheet_properties.pageSetUpPr.fitToPage = True
    second.page_setup.fitToWidth = 1
    second.page_setup.fitToHeight = 0

    hidden = wb.create_sheet("隐藏")
    hidden["A1"] = "x"
    hidden.sheet_state = "hidden"
    very = wb.create_sheet("Very")
    very.sheet_state = "veryHidden"

    wb.defined_names.append(DefinedName("总分", attr_text="名单!$B$2:$B$4"))
    wb.defined_names.append(DefinedName("本行", localSheetId=0, attr_text="名单!$A2"))
    wb.security = WorkbookProtection(lockStructure=True)
    wb.save(path)


if __name__ == "__main__":
    main(sys.argv[1])
