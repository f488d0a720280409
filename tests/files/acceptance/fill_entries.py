"""Two teams fill in their forms of the registration workbook, as a team would
in its own spreadsheet program, and save it. Before that, the workbook is
checked as the teams receive it: the team sheets only, each one protected.

usage: fill_entries.py REGISTRATION_WORKBOOK TEAMS
"""
import sys

import openpyxl

from entries import ENTRIES


def main():
    path, teams = sys.argv[1], int(sys.argv[2])
    wb = openpyxl.load_workbook(path, keep_vba=True)
    expected = [str(t) for t in range(1, teams + 1)]
    assert wb.sheetnames == expected, f"sheets {wb.sheetnames}, expected {expected}"
    for ws in wb.worksheets:
        assert ws.sheet_state == "visible", f"sheet {ws.title} is {ws.sheet_state}"
        assert ws.protection.sheet, f"sheet {ws.title} is not protected"
        # The teams can write names and ticks although the sheet is protected.
        assert ws["C4"].protection.locked is False, f"sheet {ws.title}: C4 is locked"
    for sheet, cells in ENTRIES.items():
        for address, value in cells.items():
            wb[sheet][address] = value
    wb.save(path)


if __name__ == "__main__":
    main()
