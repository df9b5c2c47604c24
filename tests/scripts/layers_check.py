#!/usr/bin/env python3
"""Holds the source tree to its layers: each folder includes only the project folders below it.

Run by CTest (exameo_layers); prints every include that crosses a layer the wrong way, with its
file and line, and fails when there is one.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
SRC = ROOT / "src"

# folder -> the project folders (or single headers) its files may include besides their own.
ALLOWED = {
    "common": set(),
    "platform": {"common", "platform"},
    "platform/posix": {"common", "platform"},
    "platform/win32": {"common", "platform", "bank", "board", "records", "review", "exam"},
    "bank": {"common", "platform"},
    "board": {"common", "platform", "bank", "shell/globals.h"},
    "quiz": {"common", "platform", "bank", "board", "shell/globals.h", "session"},
    "records": {"common", "platform", "bank"},
    "review": {"common", "platform", "bank", "records"},
    "exam": {"common", "platform", "bank", "records"},
    "bridge": {"common", "platform", "bank"},
    "session": {"common", "platform", "bank", "board", "quiz", "records", "review", "exam",
                "shell/globals.h"},
    "shell": None,  # everything
    "tools": {"common", "platform", "bank", "bridge", "records", "review", "exam"},
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def folder_of(path: pathlib.Path) -> str:
    """The layer a file belongs to: tools/, or src/<folder> (platform/win32 and /posix apart)."""
    rel = path.relative_to(ROOT).parts
    if rel[0] == "tools":
        return "tools"
    parts = rel[1:-1]
    if parts[:2] in (("platform", "win32"), ("platform", "posix")):
        return "/".join(parts[:2])
    return parts[0]


def target_of(include: str) -> str:
    """The folder an include names ("bank/question.h" -> "bank", "platform/win32/x.h" -> ...)."""
    parts = include.split("/")
    if len(parts) == 1:
        return ""  # a header beside the file (tools' own)
    if parts[0] == "platform" and len(parts) > 2:
        return "platform/" + parts[1]
    return parts[0]


def violations():
    for path in sorted(list(SRC.rglob("*.[ch]*")) + list((ROOT / "tools").glob("*.[ch]*"))):
        if path.suffix not in (".h", ".cpp"):
            continue
        layer = folder_of(path)
        if layer not in ALLOWED:
            yield f"{path.relative_to(ROOT)}: folder '{layer}' has no row in the layer table"
            continue
        allowed = ALLOWED[layer]
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            m = INCLUDE.match(line)
            if not m or allowed is None:
                continue
            include = m.group(1)
            target = target_of(include)
            if target in ("", layer) or target in allowed or include in allowed:
                continue
            yield (f"{path.relative_to(ROOT)}:{number}: includes \"{include}\", but {layer}/ "
                   f"may include only {', '.join(sorted(allowed)) or 'no project folder'}")


def main() -> int:
    found = list(violations())
    for v in found:
        print(v)
    print(f"layers: {len(found)} includes across the layers the wrong way")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
