#!/usr/bin/env python3
"""The test command's own checks: the benchmark report check and the zip check, run as the
test command runs them, on reports and zips made here."""
import contextlib
import io
import json
import os
import runpy
import subprocess
import sys
import tempfile
import unittest
import zipfile

SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts")
MODULES = {}


def run(script, *args):
    """Runs the script's main in this process (a Python start per case is slow): exit status
    and what it wrote to stderr."""
    if script not in MODULES:
        MODULES[script] = runpy.run_path(os.path.join(SCRIPTS, script),
                                         run_name=script[:-3].replace("-", "_"))
    err = io.StringIO()
    with contextlib.redirect_stderr(err):
        code = MODULES[script]["main"]([script, *args])
    return code, err.getvalue()


def run_as_program(script, *args):
    p = subprocess.run([sys.executable, os.path.join(SCRIPTS, script), *args],
                       capture_output=True, text=True)
    return p.returncode, p.stderr


class BenchReports(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.dir.cleanup()

    def report(self, name, content):
        path = os.path.join(self.dir.name, name)
        with open(path, "w", encoding="utf-8") as f:
            f.write(content if isinstance(content, str) else json.dumps(content))
        return path

    def test_errors_and_empty_reports_fail(self):
        ok = self.report("ok.json", {"context": {}, "benchmarks": [
            {"name": "BM_Load/64", "real_time": 10.5, "iterations": 100},
            {"name": "BM_Load/64_mean", "run_type": "aggregate", "real_time": 10.5}]})
        self.assertEqual((0, ""), run("check-bench.py", ok))

        broken = self.report("broken.json", {"benchmarks": [
            {"name": "BM_Fine", "iterations": 10},
            {"name": "BM_NoFile", "error_occurred": True, "error_message": "Base\\1.txt missing"},
            {"name": "BM_Also", "error_occurred": True}]})
        empty = self.report("empty.json", {"context": {"library_build_type": "release"},
                                          "benchmarks": []})
        code, err = run_as_program("check-bench.py", ok, broken, empty)
        self.assertEqual(1, code)
        lines = err.splitlines()
        self.assertEqual(3, len(lines), err)
        self.assertIn("BM_NoFile reported an error: Base\\1.txt missing", lines[0])
        self.assertIn("BM_Also reported an error: (no message)", lines[1])
        self.assertEqual(f"{empty}: no benchmark ran", lines[2])
        self.assertNotIn("BM_Fine", err)

    def test_an_aim_is_printed_never_enforced(self):
        timed = self.report("timed.json", {"benchmarks": [
            {"name": "BM_Place/real_time", "real_time": 0.0825, "cpu_time": 0.06, "time_unit": "s",
             "aim_ms": 20},
            {"name": "BM_Fast", "real_time": 12000.0, "time_unit": "us", "aim_ms": 20},
            {"name": "BM_Place_mean", "run_type": "aggregate", "real_time": 90, "aim_ms": 20},
            {"name": "BM_NoAim", "real_time": 5.0, "time_unit": "ms"}]})
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            self.assertEqual((0, ""), run("check-bench.py", timed))
        self.assertEqual(["BM_Place/real_time: 82.5 ms (processor 60.0 ms), aim under 20 ms: above it "
                          "(reported, not enforced)",
                          "BM_Fast: 12.0 ms, aim under 20 ms: within it"],
                         out.getvalue().splitlines())

    def test_unreadable_reports_fail(self):
        # What a program that crashed before writing leaves: nothing, half a report, or no file.
        for content in ["", '{"context": {}, "benchmarks": [{"name": "BM_', "[]",
                        '{"context": {}}', '{"benchmarks": "none"}']:
            with self.subTest(content=content):
                code, err = run("check-bench.py", self.report("r.json", content))
                self.assertEqual(1, code)
                self.assertIn("r.json", err)
        code, err = run("check-bench.py", os.path.join(self.dir.name, "absent.json"))
        self.assertEqual(1, code)
        self.assertIn("absent.json: cannot be read", err)
        self.assertEqual(2, run("check-bench.py")[0])


class ShippedZip(unittest.TestCase):
    FILES = {"readme.txt": b"\xcf\xf0\xee\xe3\xf0\xe0\xec\xec\xe0\r\n",
             "exameo.ini": b"[options]\r\nshuffle_questions=0\r\n",
             "Base/1.txt": b"\xcc\xe0\xf2\xe5\xec\xe0\xf2\xe8\xea\xe0\r\n\t\xc0\"math\\a.txt\"\r\n",
             "Base/2.txt": b"Second\r\n",
             "Base/math/a.txt": b"2+2?\r\n\t+4\r\n\t-5\r\n"}

    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.sample = os.path.join(self.dir.name, "sample")
        for name, data in self.FILES.items():
            path = os.path.join(self.sample, *name.split("/"))
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)

    def tearDown(self):
        self.dir.cleanup()

    def zip(self, members, name="exameo-2.0.zip"):
        path = os.path.join(self.dir.name, name)
        with zipfile.ZipFile(path, "w") as z:
            z.writestr("exameo-2.0/", b"")
            z.writestr("exameo-2.0/Base/", b"")
            for member, data in members.items():
                z.writestr(member, data)
        return path

    def whole(self):
        members = {f"exameo-2.0/{p}": b"MZ\x90\x00program"
                   for p in ("exameo.exe", "exameo-check.exe", "exameo-import.exe",
                             "exameo-export.exe", "exameo-review.exe")}
        members.update({f"exameo-2.0/{n}": d for n, d in self.FILES.items()})
        return members

    def test_whole_zip_passes(self):
        self.assertEqual((0, ""), run("check-zip.py", self.zip(self.whole()), self.sample))

    def test_the_review_tool_must_ship(self):
        members = self.whole()
        members["exameo-2.0/exameo-review.exe"] = b"ELF"
        code, err = run_as_program("check-zip.py", self.zip(members), self.sample)
        self.assertEqual(1, code)
        self.assertIn("not a Windows program: exameo-2.0/exameo-review.exe", err)
        del members["exameo-2.0/exameo-review.exe"]
        code, err = run_as_program("check-zip.py", self.zip(members), self.sample)
        self.assertEqual(1, code)
        self.assertIn("missing: exameo-2.0/exameo-review.exe", err)

    def test_each_missing_or_changed_member_is_named(self):
        members = self.whole()
        del members["exameo-2.0/Base/1.txt"]
        del members["exameo-2.0/readme.txt"]
        del members["exameo-2.0/exameo.ini"]
        members["exameo-2.0/Base/math/a.txt"] = b"2+2?\n\t+4\n\t-5\n"  # line ends changed
        members["exameo-2.0/exameo.exe"] = b"#!/bin/sh\n"
        del members["exameo-2.0/exameo-import.exe"]
        # At the zip's root rather than in its folder: still missing where it must be.
        members["Base/2.txt"] = members.pop("exameo-2.0/Base/2.txt")
        code, err = run_as_program("check-zip.py", self.zip(members), self.sample)
        self.assertEqual(1, code)
        self.assertEqual(["not a Windows program: exameo-2.0/exameo.exe",
                          "missing: exameo-2.0/exameo-import.exe",
                          "missing: exameo-2.0/readme.txt",
                          "missing: exameo-2.0/exameo.ini",
                          "missing: exameo-2.0/Base/1.txt",
                          "missing: exameo-2.0/Base/2.txt",
                          "differs from " + os.path.join(self.sample, "Base", "math", "a.txt") +
                          ": exameo-2.0/Base/math/a.txt"], err.splitlines())

    def test_a_file_added_to_the_sample_must_ship(self):
        zip_path = self.zip(self.whole())
        with open(os.path.join(self.sample, "Base", "math", "b.txt"), "wb") as f:
            f.write(b"new\r\n")
        code, err = run("check-zip.py", zip_path, self.sample)
        self.assertEqual((1, "missing: exameo-2.0/Base/math/b.txt\n"), (code, err))

    def test_not_a_zip_or_no_program(self):
        bad = os.path.join(self.dir.name, "exameo-2.0.zip")
        with open(bad, "wb") as f:
            f.write(b"PK\x03\x04 cut short")
        code, err = run("check-zip.py", bad, self.sample)
        self.assertEqual(1, code)
        self.assertIn("cannot be read as a zip", err)
        members = self.whole()
        del members["exameo-2.0/exameo.exe"]
        code, err = run("check-zip.py", self.zip(members), self.sample)
        self.assertEqual((1, "missing: exameo-2.0/exameo.exe\n"), (code, err))


if __name__ == "__main__":
    unittest.main()
