"""Reads the certificate documents of a folder with python-docx: each has the
merge fields of its list's headings, in order, with Word's field code
(MERGEFIELD, two blanks, the heading), and is a form-letter main document
whose data source is the prize workbook beside it, queried on its sheet. The
prize workbook's lists are read with openpyxl: their headings are the fields.
The ready-to-print PDF of each award has one page per line of its list, and
pdftotext finds that line's texts on its page.
usage: check_certificates.py FOLDER"""
import os
import subprocess
import sys

import docx
import openpyxl
from docx.opc.constants import RELATIONSHIP_TYPE as RT
from docx.oxml.ns import qn

folder = sys.argv[1]
book = openpyxl.load_workbook(os.path.join(folder, "奖项设置.xlsx"))
expected = {
    "精神文明奖": ["年级"],
    "团体总分奖": ["年级", "名次"],
    "单项奖": ["年级", "组别", "项目", "名次"],
}
failures = []
for award, headings in expected.items():
    sheet = book[award]
    row1 = [c.value for c in sheet[1] if c.value is not None]
    if row1 != headings:
        failures.append(f"{award}: list headings {row1}")
    lines = [[str(v) for v in row] for row in sheet.iter_rows(min_row=2, values_only=True) if any(row)]
    if not lines:
        failures.append(f"{award}: the list has no lines")
    pdf = os.path.join(folder, award + ".pdf")
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True).stdout
    pages = next((int(l.split()[1]) for l in info.splitlines() if l.startswith("Pages:")), 0)
    if pages != len(lines):
        failures.append(f"{award}.pdf: {pages} pages for {len(lines)} lines")
    for i, line in enumerate(lines[:40], start=1):  # the first pages are enough to see the fields move
        text = subprocess.run(["pdftotext", "-f", str(i), "-l", str(i), pdf, "-"],
                              capture_output=True, text=True).stdout.replace(" ", "").replace("\n", "")
        if not all(value in text for value in line):
            failures.append(f"{award}.pdf page {i}: {line} not in {text}")
            break
    document = docx.Document(os.path.join(folder, award + ".docx"))
    instructions = [e.text.strip() for e in document.element.body.iter(qn("w:instrText"))]
    wanted = ["MERGEFIELD  " + h for h in headings]
    if instructions != wanted:
        failures.append(f"{award}: fields {instructions}, expected {wanted}")
    if any("《" in p.text for p in document.paragraphs):
        failures.append(f"{award}: a placeholder is left")
    merge = document.settings.element.find(qn("w:mailMerge"))
    if merge is None:
        failures.append(f"{award}: no mail merge settings")
        continue
    value = lambda name: merge.find(qn("w:" + name)).get(qn("w:val"))
    if value("mainDocumentType") != "formLetters" or value("dataType") != "native":
        failures.append(f"{award}: not a native form letter")
    if value("query") != f"SELECT * FROM `{award}$`":
        failures.append(f"{award}: query {value('query')}")
    settings_part = document.part.part_related_by(RT.SETTINGS)
    rel = settings_part.rels[merge.find(qn("w:dataSource")).get(qn("r:id"))]
    source = "file://" + os.path.abspath(os.path.join(folder, "奖项设置.xlsx"))
    if not rel.is_external or rel.target_ref != source:
        failures.append(f"{award}: data source {rel.target_ref}, expected {source}")
if failures:
    print("\n".join(failures))
    sys.exit(1)
