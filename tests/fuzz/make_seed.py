#!/usr/bin/python3
"""Turns an .xlsx/.xlsm file into a seed of the workbook fuzz target: its parts
one after the other, each introduced by a line "@@NAME" (parts_input.h).
    make_seed.py FILE.xlsx corpus/fuzz_xlsx/NAME
"""
import sys
import zipfile

with zipfile.ZipFile(sys.argv[1]) as z, open(sys.argv[2], "wb") as out:
    first = True
    for info in z.infolist():
        if info.is_dir():
            continue
        out.write((b"" if first else b"\n") + b"@@" + info.filename.encode() + b"\n")
        out.write(z.read(info))
        first = False
