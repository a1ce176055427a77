#!/usr/bin/env python3
"""Writes the cells listed in CELLS with Python's xlsxwriter into OUT, the way our writer
does (constant memory, rows in order, every cell top-aligned), and prints the time of the
writing alone (wall and cpu) and the peak memory.

CELLS: one line "sheet-name", then per cell "row<TAB>col<TAB>kind<TAB>text" (kind t, n
or b; backslash escapes for tab, newline and backslash); a line "\f" starts the next sheet.
"""
import resource
import sys
import time

import xlsxwriter


def unescape(text):
    if "\\" not in text:
        return text
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            i += 1
            out.append({"t": "\t", "n": "\n", "\\": "\\"}.get(text[i], text[i]))
        else:
            out.append(c)
        i += 1
    return "".join(out)


def main():
    cells_path, out_path = sys.argv[1], sys.argv[2]
    sheets = []
    with open(cells_path, encoding="utf-8", newline="\n") as f:
        current = None
        for line in f:
            line = line.rstrip("\n")
            if current is None:
                current = (line, [])
                sheets.append(current)
            elif line == "\f":
                current = None
            else:
                row, col, kind, text = line.split("\t", 3)
                current[1].append((int(row), int(col), kind, unescape(text)))

    start = time.perf_counter()
    cpu_start = time.process_time()
    book = xlsxwriter.Workbook(out_path, {"constant_memory": True})
    top = book.add_format({"valign": "top"})
    for name, cells in sheets:
        sheet = book.add_worksheet(name)
        for row, col, kind, text in cells:
            if kind == "n":
                sheet.write_number(row, col, float(text), top)
            elif kind == "b":
                sheet.write_blank(row, col, None, top)
            else:
                sheet.write_string(row, col, text, top)
    book.close()
    seconds = time.perf_counter() - start
    cpu_seconds = time.process_time() - cpu_start
    peak_mb = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024.0
    print(f"{seconds:.3f} {cpu_seconds:.3f} {peak_mb:.1f}")


if __name__ == "__main__":
    main()
