#!/usr/bin/env python3
"""Reads back the KML that kjvt58-cli writes with an independent XML parser.

For each record file given: `kjvt58-cli kml` writes the map, xmllint checks
that it is well-formed, Python's own XML parser reads its placemarks, and they
are compared with the records of `kjvt58-cli dump --json`: one placemark per
positioned record in order, its name the date and time, its description the
joint kind and size and the end status, its coordinates longitude, latitude
and 0 with six decimals. A file without a positioned record must write nothing.
"""
import json
import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

NS = "{http://earth.google.com/kml/2.0}"


def xml_text(text):
    """The text as the document must carry it: characters XML cannot hold
    become U+FFFD."""
    out = []
    for ch in text:
        c = ord(ch)
        ok = c in (9, 10, 13) or (0x20 <= c <= 0xD7FF) or (0xE000 <= c <= 0xFFFD) or c >= 0x10000
        out.append(ch if ok else "\ufffd")
    return "".join(out)


def check(cli, path, workdir):
    failures = []
    dump = subprocess.run([cli, "dump", "--json", path], capture_output=True)
    block = json.loads(dump.stdout.decode("utf-8"))
    records = block.get("records") or []
    positioned = [r for r in records if r["has_coord"]]
    target = os.path.join(workdir, os.path.basename(path) + ".kml")
    run = subprocess.run([cli, "kml", path, "--output", target], capture_output=True)
    if not positioned:
        if run.returncode == 0 or os.path.exists(target):
            failures.append(f"{path}: no positioned record, but a map was written (status {run.returncode})")
        return failures
    if run.returncode != 0:
        return [f"{path}: kml failed with {run.returncode}: {run.stderr.decode(errors='replace')}"]
    data = open(target, "rb").read()
    if data.startswith(b"\xef\xbb\xbf") or not data.startswith(b"<?xml") or not data.endswith(b"</kml>"):
        failures.append(f"{path}: the document must start with <?xml (no BOM) and end with </kml>")
    if b"\r" in data:
        failures.append(f"{path}: carriage return in the document")
    lint = subprocess.run(["xmllint", "--noout", target], capture_output=True)
    if lint.returncode != 0 or lint.stderr:
        failures.append(f"{path}: xmllint: {lint.stderr.decode(errors='replace')}")
    root = ET.fromstring(data)
    if root.tag != NS + "kml":
        failures.append(f"{path}: root element {root.tag}")
    marks = root.findall(f"{NS}Document/{NS}Placemark")
    if len(marks) != len(positioned):
        failures.append(f"{path}: {len(marks)} placemarks for {len(positioned)} positioned records")
    for i, (mark, r) in enumerate(zip(marks, positioned)):
        joint = r["decoded_barcode"]
        kind = joint["joint_kind"] if joint else "***"
        size = joint["joint_size"] if joint else "***"
        want = {
            "name": xml_text(r["datetime"]),
            "description": xml_text(f"{kind} {size}\n{r['exit_code']}"),
            "coordinates": "%f,%f,0" % (r["longitude"], r["latitude"]),
        }
        got = {
            "name": mark.findtext(NS + "name"),
            "description": mark.findtext(NS + "description"),
            "coordinates": mark.findtext(f"{NS}Point/{NS}coordinates"),
        }
        if got != want:
            failures.append(f"{path}: placemark {i}: {got!r} != {want!r}")
    return failures


def main():
    cli, files = sys.argv[1], sys.argv[2:]
    failures = []
    with tempfile.TemporaryDirectory() as workdir:
        for path in files:
            failures += check(cli, path, workdir)
    for f in failures:
        print(f, file=sys.stderr)
    print(f"{len(files)} record files read back, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
