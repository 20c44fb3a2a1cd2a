#!/usr/bin/env python3
"""Reads back the workbooks the end-to-end export wrote, with xlrd, and
compares each with the expectation the driver wrote beside it
(NAME.expected.json next to NAME.xls): sheet name, header row, the data rows
as the spreadsheet stores them (a plain decimal text in a general column is a
number, every other text a text).

  check_exports.py WORK_DIR

Exit status 0 when every workbook matches, 1 otherwise (also when there is
none to check).
"""
import glob
import io
import json
import os
import re
import sys

import xlrd

DECIMAL = re.compile(r"-?[0-9]+(\.[0-9]+)?")


def stored(text, fmt):
    if text == "":
        return ""
    if fmt != "@" and DECIMAL.fullmatch(text):
        return float(text)
    return text


def check(expectation_path):
    problems = []
    with open(expectation_path, encoding="utf-8") as f:
        want = json.load(f)
    path = os.path.join(os.path.dirname(expectation_path), want["workbook"])
    log = io.StringIO()
    try:
        book = xlrd.open_workbook(path, logfile=log, verbosity=0)
    except Exception as e:  # noqa: BLE001 - any failure to read is the finding
        return [f"{path}: xlrd cannot read it: {e!r}"]
    if log.getvalue():
        problems.append(f"{path}: xlrd warned: {log.getvalue().strip()}")
    if book.sheet_names() != [want["sheet"]]:
        return problems + [f"{path}: sheets {book.sheet_names()}, expected [{want['sheet']!r}]"]
    sheet = book.sheet_by_index(0)
    headers, formats, rows = want["headers"], want["formats"], want["rows"]
    if sheet.ncols != len(headers):
        problems.append(f"{path}: {sheet.ncols} columns, expected {len(headers)}")
    if sheet.nrows != len(rows) + 2:
        problems.append(f"{path}: {sheet.nrows} rows, expected {len(rows) + 2}")
    if problems:
        return problems
    if sheet.row_values(1) != headers:
        problems.append(f"{path}: header row {sheet.row_values(1)}, expected {headers}")
    for r, row in enumerate(rows):
        expected = [stored(text, fmt) for text, fmt in zip(row, formats)]
        actual = sheet.row_values(r + 2)
        if actual != expected:
            problems.append(f"{path}: row {r + 3} {actual}, expected {expected}")
    return problems


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    expectations = sorted(glob.glob(os.path.join(sys.argv[1], "**", "*.expected.json"), recursive=True))
    if not expectations:
        print("check_exports: no exported workbook to check", file=sys.stderr)
        return 1
    problems = []
    for e in expectations:
        problems += check(e)
    for p in problems:
        print("check_exports: " + p, file=sys.stderr)
    if not problems:
        print(f"check_exports: {len(expectations)} workbook(s) read back as expected")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
