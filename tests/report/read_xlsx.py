#!/usr/bin/env python3
"""An independent reader of .xlsx workbooks for the report tests: Python's standard
zipfile and xml modules only.

    read_xlsx.py FILE.xlsx   prints the workbook as JSON:
        {"sheets": [{"name": ..., "cells": {"B2": {"type": ..., "value": ..., "valign": ...}}}]}
    type is "s" (shared string), "inlineStr", "str", "n" (number), "b" (boolean) or
    "blank"; valign is the vertical alignment of the cell's style ("bottom" when unset).

Exits non-zero, with the reason on standard error, when the file is not a well-formed
workbook: missing parts, XML that does not parse, a sheet or a string that is not there.
"""
import json
import posixpath
import re
import sys
import zipfile
import xml.etree.ElementTree as ET

NS = {
    "m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main",
    "r": "http://schemas.openxmlformats.org/officeDocument/2006/relationships",
    "rel": "http://schemas.openxmlformats.org/package/2006/relationships",
}
R_ID = "{%s}id" % NS["r"]


def fail(message):
    print(message, file=sys.stderr)
    sys.exit(1)


ESCAPE = re.compile(r"_x([0-9A-Fa-f]{4})_")


def text_of(element):
    """The text of an <si> or <is>: a plain <t> or the runs' <t>s, with the _xHHHH_
    escapes of characters XML cannot carry decoded as the spreadsheet applications do."""
    raw = "".join(t.text or "" for t in element.iter("{%s}t" % NS["m"]))
    return ESCAPE.sub(lambda m: chr(int(m.group(1), 16)), raw)


def read(path):
    try:
        book = zipfile.ZipFile(path)
    except (OSError, zipfile.BadZipFile) as e:
        fail("not a zip file: %s" % e)
    bad = book.testzip()
    if bad:
        fail("damaged member: %s" % bad)
    names = set(book.namelist())

    def xml(name):
        if name not in names:
            fail("missing part: %s" % name)
        try:
            return ET.fromstring(book.read(name))
        except ET.ParseError as e:
            fail("%s does not parse: %s" % (name, e))

    xml("[Content_Types].xml")
    workbook = xml("xl/workbook.xml")
    rels = xml("xl/_rels/workbook.xml.rels")
    targets = {r.get("Id"): r.get("Target") for r in rels.findall("rel:Relationship", NS)}

    shared = []
    if "xl/sharedStrings.xml" in names:
        shared = [text_of(si) for si in xml("xl/sharedStrings.xml").findall("m:si", NS)]

    valign = []
    styles = xml("xl/styles.xml")
    xfs = styles.find("m:cellXfs", NS)
    for xf in (xfs.findall("m:xf", NS) if xfs is not None else []):
        alignment = xf.find("m:alignment", NS)
        valign.append(alignment.get("vertical", "bottom") if alignment is not None else "bottom")

    sheets = []
    for sheet in workbook.find("m:sheets", NS).findall("m:sheet", NS):
        target = targets.get(sheet.get(R_ID))
        if target is None:
            fail("sheet %r has no part" % sheet.get("name"))
        part = posixpath.normpath(posixpath.join("xl", target)) if not target.startswith("/") else target[1:]
        data = xml(part)
        cells = {}
        for c in data.iter("{%s}c" % NS["m"]):
            ref = c.get("r")
            kind = c.get("t", "n")
            v = c.find("m:v", NS)
            if kind == "s":
                index = int(v.text)
                if index >= len(shared):
                    fail("%s!%s: shared string %d is not there" % (sheet.get("name"), ref, index))
                value = shared[index]
            elif kind == "inlineStr":
                isel = c.find("m:is", NS)
                value = text_of(isel) if isel is not None else ""
            elif v is None:
                kind, value = "blank", ""
            else:
                value = v.text or ""
            style = int(c.get("s", "0"))
            if style >= len(valign):
                fail("%s!%s: style %d is not there" % (sheet.get("name"), ref, style))
            if ref in cells:
                fail("%s!%s written twice" % (sheet.get("name"), ref))
            cells[ref] = {"type": kind, "value": value, "valign": valign[style]}
        sheets.append({"name": sheet.get("name"), "cells": cells})
    return {"sheets": sheets}


if __name__ == "__main__":
    if len(sys.argv) != 2:
        fail("usage: read_xlsx.py FILE.xlsx")
    json.dump(read(sys.argv[1]), sys.stdout, ensure_ascii=False)
