"""Normalises a `korvane_interop dump-values` text for comparison with the
same workbook after LibreOffice saved it, undoing what LibreOffice changes
on purpose:
- numbers are kept to 15 significant digits;
- a carriage return before a line feed in a text is dropped;
- constant TRUE/FALSE and error cells are written as formulas (=TRUE(), =#N/A);
- very hidden sheets become hidden sheets.

    /usr/bin/python3 libreoffice_normalize.py DUMP
"""
import re
import sys

NUMBER = re.compile(r"v=n:([-+0-9.eE]+)")
CONSTANT_FORMULA = re.compile(r" f=(TRUE\(\)|FALSE\(\)|#[A-Z/0!?]+) (v=[be]:)")


def normalise(line):
    line = NUMBER.sub(lambda m: "v=n:%.15g" % float(m.group(1)), line)
    line = line.replace("\\r\\n", "\\n")
    line = CONSTANT_FORMULA.sub(r" \2", line)
    return line.replace("state=veryHidden", "state=hidden")


for line in open(sys.argv[1], encoding="utf-8"):
    sys.stdout.write(normalise(line))
