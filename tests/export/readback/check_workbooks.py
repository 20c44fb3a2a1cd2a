#!/usr/bin/env python3
"""Reads the workbooks of kj_xls_workbooks back with two readers that share
nothing with the writer: xlrd (with the formatting records) and Gnumeric's
ssconvert (to CSV), and compares them with each workbook's description.

  check_workbooks.py GENERATOR SAMPLES_DIR WORK_DIR

Exit status 77 (skipped) when xlrd or ssconvert is missing.
"""
import csv
import glob
import io
import json
import os
import re
import shutil
import subprocess
import sys
import unicodedata

SKIP = 77
DECIMAL = re.compile(r"-?[0-9]+(\.[0-9]+)?")
THIN = 1
AUTOMATIC = 64
ROW_HEIGHT = 270

try:
    import xlrd
except ImportError:
    print("SKIPPED: python3-xlrd is not installed (Debian: apt-get install python3-xlrd)")
    sys.exit(SKIP)
SSCONVERT = shutil.which("ssconvert")
if SSCONVERT is None:
    print("SKIPPED: ssconvert is not installed (Debian: apt-get install gnumeric)")
    sys.exit(SKIP)

failures = []


def fail(book, what):
    failures.append(f"{book}: {what}")


def expected_value(text, fmt):
    """What the spreadsheet makes of a text: a number for a plain decimal in a
    general column, else the text; None for an empty cell."""
    if text == "":
        return None
    if fmt != "@" and DECIMAL.fullmatch(text):
        return float(text)
    return text


def display_width(text):
    longest = 0
    for line in text.split("\n"):
        w = sum(2 if unicodedata.east_asian_width(ch) in ("W", "F") else 1 for ch in line)
        longest = max(longest, w)
    return longest


def in_merge(merges, row, col):
    return row == 0 and any(first <= col <= last for first, last in merges)


def check_xlrd(name, path, want):
    log = io.StringIO()
    try:
        book = xlrd.open_workbook(path, formatting_info=True, logfile=log, verbosity=0)
    except Exception as e:  # noqa: BLE001 - any failure to read is the finding
        fail(name, f"xlrd cannot read it: {e!r}")
        return
    if log.getvalue():
        fail(name, "xlrd warned: " + log.getvalue().strip())
    if book.sheet_names() != [want["sheet"]]:
        fail(name, f"sheets {book.sheet_names()}")
        return
    sheet = book.sheet_by_index(0)
    rows, formats, merges = want["rows"], want["formats"], want["merges"]
    columns = len(formats)
    if sheet.nrows != (len(rows) if columns else 0) or sheet.ncols != columns:
        fail(name, f"size {sheet.nrows}x{sheet.ncols}, expected {len(rows)}x{columns}")
        return
    got_merges = sorted(sheet.merged_cells)
    want_merges = sorted((0, 1, first, last + 1) for first, last in merges)
    if got_merges != want_merges:
        fail(name, f"merged {got_merges}, expected {want_merges}")
    widths = [0] * columns
    for r, row in enumerate(rows):
        for c, text in enumerate(row):
            fmt = formats[c] if r >= 2 else ""
            value = expected_value(text, fmt)
            cell = sheet.cell(r, c)
            if in_merge(merges, r, c) and c != next(f for f, l in merges if f <= c <= l):
                value = None  # merged away
            if value is None:
                if cell.ctype not in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                    fail(name, f"{r},{c}: {cell.value!r} where the cell is empty")
            elif isinstance(value, float):
                if cell.ctype != xlrd.XL_CELL_NUMBER or cell.value != value:
                    fail(name, f"{r},{c}: {cell.value!r} (type {cell.ctype}), expected the number {value}")
            elif cell.ctype != xlrd.XL_CELL_TEXT or cell.value != value:
                fail(name, f"{r},{c}: {cell.value!r} (type {cell.ctype}), expected {value[:40]!r}")
            xf = book.xf_list[sheet.cell_xf_index(r, c)]
            fmt_text = book.format_map[xf.format_key].format_str
            if (fmt == "@") != (fmt_text == "@"):
                fail(name, f"{r},{c}: number format {fmt_text!r}, expected {fmt!r}")
            if ("\n" in text) != bool(xf.alignment.text_wrapped) and value is not None:
                fail(name, f"{r},{c}: wrapping {xf.alignment.text_wrapped}")
            b = xf.border
            sides = (b.left_line_style, b.right_line_style, b.top_line_style, b.bottom_line_style)
            colours = (b.left_colour_index, b.right_colour_index, b.top_colour_index, b.bottom_colour_index)
            if sides != (THIN,) * 4 or colours != (AUTOMATIC,) * 4:
                fail(name, f"{r},{c}: borders {sides} colours {colours}")
            if value is not None and not in_merge(merges, r, c):
                widths[c] = max(widths[c], display_width(text))
    for c in range(columns):
        if widths[c] == 0:
            continue
        want_width = min(widths[c] + 1, 255) * 256
        info = sheet.colinfo_map.get(c)
        if info is None or info.width != want_width:
            fail(name, f"column {c}: width {info.width if info else None}, expected {want_width}")
    if columns and any("\n" in t for t in rows[1]):
        info = sheet.rowinfo_map.get(1)
        if info is None or info.height < 2 * ROW_HEIGHT:
            fail(name, f"row 2 is {info.height if info else None} twips tall, less than two lines")
    # Nothing outside the grid.
    for r in range(sheet.nrows):
        if sheet.row_len(r) > columns:
            fail(name, f"row {r} is longer than the grid")


def check_ssconvert(name, path, want, work):
    out = os.path.join(work, name + ".csv")
    if os.path.exists(out):
        os.remove(out)
    # The exit status says little: a damaged file may still convert with 0.
    run = subprocess.run([SSCONVERT, "--export-type=Gnumeric_stf:stf_csv", path, out],
                         capture_output=True, text=True)
    if not os.path.exists(out):
        fail(name, f"ssconvert wrote nothing: {run.stderr.strip()}")
        return
    for line in run.stderr.splitlines():
        if "CRITICAL" in line or "ERROR" in line.upper() and "unknown widths" not in line:
            fail(name, f"ssconvert: {line}")
    with open(out, newline="", encoding="utf-8") as f:
        got = list(csv.reader(f))
    rows, formats = want["rows"], want["formats"]
    if not formats:
        if any(any(cell for cell in row) for row in got):
            fail(name, "ssconvert found cells in an empty sheet")
        return
    if len(got) != len(rows):
        fail(name, f"ssconvert: {len(got)} rows, expected {len(rows)}")
        return
    for r, row in enumerate(rows):
        cells = got[r] + [""] * (len(row) - len(got[r]))
        if len(cells) != len(row):
            fail(name, f"ssconvert: row {r} has {len(cells)} cells")
            continue
        for c, text in enumerate(row):
            fmt = formats[c] if r >= 2 else ""
            value = expected_value(text, fmt)
            if r == 0 and in_merge(want["merges"], r, c) and c != next(f for f, l in want["merges"] if f <= c <= l):
                value = None
            if value is None:
                ok = cells[c] == ""
            elif isinstance(value, float):
                try:
                    ok = float(cells[c]) == value
                except ValueError:
                    ok = False
            else:
                ok = cells[c] == value
            if not ok:
                fail(name, f"ssconvert {r},{c}: {cells[c][:40]!r}, expected {str(value)[:40]!r}")


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    generator, samples, work = sys.argv[1:]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    made = subprocess.run([generator, samples, work])
    if made.returncode != 0:
        print(f"the generator failed with {made.returncode}")
        return 1
    descriptions = sorted(glob.glob(os.path.join(work, "*.json")))
    if len(descriptions) < 2:
        print("the generator wrote no workbooks")
        return 1
    for description in descriptions:
        name = os.path.splitext(os.path.basename(description))[0]
        with open(description, encoding="utf-8") as f:
            want = json.load(f)
        path = os.path.join(work, name + ".xls")
        check_xlrd(name, path, want)
        check_ssconvert(name, path, want, work)
        print(f"checked {name}.xls: {len(want['rows'])} rows, {len(want['formats'])} columns")
    for f in failures[:200]:
        print("FAIL", f)
    if failures:
        print(f"{len(failures)} differences")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
