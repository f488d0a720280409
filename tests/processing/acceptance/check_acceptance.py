"""Checks the output of acceptance.kvs: the trimmed ticks, the number table
cell by cell, and for every event row its count and its entrants as
(name, number) pairs, order aside; 随机排序 must reorder with every pair
intact, and a second 汇总及编号 must give the same lists.

usage: check_acceptance.py SCRIPT.kvs OUTPUT
"""
import re
import sys
from collections import Counter

BOX_PREFIXES = ("message: ", "question: ", "folder: ", "input: ")


def column_number(letters):
    n = 0
    for ch in letters:
        n = n * 26 + ord(ch) - ord("A") + 1
    return n


def range_shape(ref):
    m = re.fullmatch(r"([A-Z]+)(\d+):([A-Z]+)(\d+)", ref)
    c1, r1, c2, r2 = column_number(m[1]), int(m[2]), column_number(m[3]), int(m[4])
    return r2 - r1 + 1, c2 - c1 + 1


def blocks(script, output):
    """The printed rows of each `get`, in script order, as lists of cells."""
    gets = []
    for line in open(script, encoding="utf-8"):
        if line.startswith("get "):
            target = line.split()[1]
            gets.append((target, range_shape(target.split("!", 1)[1])))
    lines = [l.rstrip("\n") for l in open(output, encoding="utf-8") if not l.startswith(BOX_PREFIXES)]
    out, pos = [], 0
    for target, (rows, cols) in gets:
        rows_text = lines[pos:pos + rows]
        pos += rows
        assert len(rows_text) == rows, f"{target}: {len(rows_text)} rows printed, {rows} expected"
        grid = [r.split("\t") for r in rows_text]
        for r in grid:
            assert len(r) == cols, f"{target}: row of {len(r)} cells, {cols} expected: {r}"
        out.append((target, grid))
    assert pos == len(lines), f"unexpected output after the last get: {lines[pos:]}"
    return out


# The entries of the script, and what consolidation must make of them.
NUMBERS = {  # number-table row: (name, number, team name in column C or "")
    2: ("张伟", "70101", "初一(1)班"),
    3: ("李强", "70102", ""),
    4: ("王磊", "70103", ""),
    6: ("刘芳", "70105", ""),
    10: ("陈明", "70201", "初一(2)班"),
    11: ("李_明", "70202", ""),
    34: ("赵军", "80101", "初二(1)班"),
    98: ("孙亮", "10101", "高一(1)班"),
}
LISTS = {
    "初一男子100米": [("张伟", "70101"), ("李强", "70102"), ("陈明", "70201"), ("李_明", "70202")],
    "初一男子200米": [("张伟", "70101")],
    "初一男子跳远": [("李强", "70102")],
    "初一女子100米": [("刘芳", "70105")],
    "初一男子4×100米接力": [("初一(1)班", "")],
    "初一女子4×100米接力": [("初一(1)班", "")],
    "初二男子跳高": [("赵军", "80101")],
    "高一男子1500米": [("孙亮", "10101")],
    "高一男子铅球": [("孙亮", "10101")],
}


def check_ticks(grid):
    # D..N of 张伟's row: 100米 and 200米 kept, 400米 erased, the relay kept.
    expected = ["√", "√", ""] + [""] * 7 + ["√"]
    assert grid[0] == expected, f"张伟's ticks after trimming: {grid[0]}"


def check_number_table(grid):
    assert grid[0] == ["姓名", "号码", "班级"], grid[0]
    for i, row in enumerate(grid[1:], start=2):
        want = list(NUMBERS.get(i, ("", "", "")))
        assert row == want, f"号码对照表 row {i}: {row}, expected {want}"


def lists_of(events, temp):
    """title -> (count, [(name, number), ...]) in sheet order."""
    out = {}
    for ev_row, tmp_row in zip(events, temp):
        title, count, names, numbers = ev_row[0], ev_row[1], ev_row[2:], tmp_row[2:]
        assert tmp_row[0] == "" and tmp_row[1] == "", f"temp holds only numbers: {tmp_row[:2]}"
        n = int(count)
        assert all(x == "" for x in names[n:]), f"{title}: names beyond the count {n}"
        assert all(x == "" for x in numbers[n:]), f"{title}: numbers beyond the count {n}"
        out[title] = (n, list(zip(names[:n], numbers[:n])))
    return out


def check_lists(lists, what):
    assert len(lists) == 102, f"{what}: {len(lists)} event rows"
    for title, (count, pairs) in lists.items():
        want = LISTS.get(title, [])
        assert count == len(want), f"{what}: {title} count {count}, expected {len(want)}"
        assert Counter(pairs) == Counter(want), f"{what}: {title} entrants {pairs}, expected {want}"


def main():
    got = blocks(sys.argv[1], sys.argv[2])
    (_, ticks), (_, table), (_, ev1), (_, tmp1), (_, ev2), (_, tmp2), (_, ev3), (_, tmp3) = got
    check_ticks(ticks)
    check_number_table(table)
    first, shuffled, again = lists_of(ev1, tmp1), lists_of(ev2, tmp2), lists_of(ev3, tmp3)
    check_lists(first, "汇总及编号")
    check_lists(shuffled, "随机排序")
    check_lists(again, "second 汇总及编号")
    # The seed is fixed, so whether the four 100米 runners move is known: they do.
    assert shuffled["初一男子100米"][1] != first["初一男子100米"][1], "随机排序 left the order as it was"
    print("acceptance ok")


main()
