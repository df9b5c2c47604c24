#!/usr/bin/env python3
"""Checks the zip that ships: under its one top folder (the zip's name without .zip) it must
hold exameo.exe and the tools exameo-check.exe, exameo-import.exe, exameo-export.exe and
exameo-review.exe (Windows programs), readme.txt, exameo.ini and every file of SAMPLE/Base with the same
bytes as in SAMPLE, readme.txt too. Each missing or differing member is listed by name; exits
1 if there is any.

    check-zip.py build/mingw/exameo-2.0.zip sample
"""
import os
import sys
import zipfile


def faults(zip_path, sample):
    top = os.path.basename(zip_path)
    if top.endswith(".zip"):
        top = top[: -len(".zip")]
    try:
        archive = zipfile.ZipFile(zip_path)
    except (OSError, zipfile.BadZipFile) as e:
        return [f"{zip_path}: cannot be read as a zip: {e}"]
    with archive:
        members = {i.filename: i for i in archive.infolist() if not i.is_dir()}
        found = []

        def member(name):
            info = members.get(f"{top}/{name}")
            if info is None:
                found.append(f"missing: {top}/{name}")
                return None
            return archive.read(info)

        for name in ("exameo.exe", "exameo-check.exe", "exameo-import.exe", "exameo-export.exe",
                     "exameo-review.exe"):
            program = member(name)
            if program is not None and not program.startswith(b"MZ"):
                found.append(f"not a Windows program: {top}/{name}")
        # The names the database must have in any case, then every file that ships with it.
        wanted = ["readme.txt", "exameo.ini", "Base/1.txt"]
        base = os.path.join(sample, "Base")
        if not os.path.isdir(base):
            found.append(f"no folder {base} to compare with")
        for folder, dirs, files in os.walk(base):
            dirs.sort()
            for f in sorted(files):
                rel = os.path.relpath(os.path.join(folder, f), sample).replace(os.sep, "/")
                if rel not in wanted:
                    wanted.append(rel)
        for name in wanted:
            data = member(name)
            source = os.path.join(sample, *name.split("/"))
            if data is None or not os.path.isfile(source):
                continue
            with open(source, "rb") as f:
                if f.read() != data:
                    found.append(f"differs from {source}: {top}/{name}")
        return found


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    found = faults(argv[1], argv[2])
    for f in found:
        print(f, file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
