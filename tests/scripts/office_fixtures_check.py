#!/usr/bin/python3
"""The Word and spreadsheet fixtures are what scripts/gen-office-fixtures.py makes: it is run
into a scratch folder and every file compared byte for byte with the one in the tree, so that
a fixture edited by hand, or a script changed without its fixtures, fails here."""
import filecmp
import os
import subprocess
import sys
import tempfile

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
FIXTURES = os.path.join(ROOT, "tests", "bridge", "data", "office")


def main():
    with tempfile.TemporaryDirectory() as scratch:
        subprocess.run(["/usr/bin/python3", os.path.join(ROOT, "scripts", "gen-office-fixtures.py"),
                        scratch], check=True, stdout=subprocess.DEVNULL)
        made = sorted(os.listdir(scratch))
        kept = sorted(os.listdir(FIXTURES))
        if made != kept:
            print("the script makes %s, the tree holds %s" % (made, kept), file=sys.stderr)
            return 1
        stale = [name for name in made
                 if not filecmp.cmp(os.path.join(scratch, name), os.path.join(FIXTURES, name),
                                    shallow=False)]
        if stale:
            print("out of date (run scripts/gen-office-fixtures.py): %s" % ", ".join(stale),
                  file=sys.stderr)
            return 1
    print("%d fixtures are as the script makes them" % len(made))
    return 0


if __name__ == "__main__":
    sys.exit(main())
