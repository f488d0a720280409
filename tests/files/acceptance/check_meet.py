"""Reads the saved meet workbook with openpyxl: the data area of every team
sheet (C4 to the last event column of row 23) holds exactly the entries the
teams made, and nothing else.

usage: check_meet.py MEET_WORKBOOK TEAMS
"""
import sys

import openpyxl
from openpyxl.utils import get_column_letter

from entries import ENTRIES


def main():
    path, teams = sys.argv[1], int(sys.argv[2])
    wb = openpyxl.load_workbook(path, data_only=True)
    last_col = max(c.column for c in wb["报名表样表"][3] if c.value not in (None, ""))
    for team in range(1, teams + 1):
        ws = wb[str(team)]
        found = {}
        for row in ws.iter_rows(min_row=4, max_row=23, min_col=3, max_col=last_col):
            for cell in row:
                if cell.value not in (None, ""):
                    found[f"{get_column_letter(cell.column)}{cell.row}"] = cell.value
        wanted = ENTRIES.get(str(team), {})
        assert found == wanted, f"sheet {team}: {found} != {wanted}"
        assert ws["C2"].value == wb["设置"].cell(row=team + 1, column=4).value, f"sheet {team}: team name"
    print(f"{teams} team sheets hold exactly the teams' entries")


if __name__ == "__main__":
    main()
