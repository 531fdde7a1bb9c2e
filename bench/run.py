#!/usr/bin/env python3
"""Measures how the editor's cost grows with the size of handling.cfg.

For synthetic handling files of about 40 KB, 10 MB and 180 MB (33 columns a line, CR LF, the
target vehicle on the last line, so that the lookup reads the whole file) it times a complete
scripted manual edit, and on the same file `cp` (the floor) and the one-line replacement that
sed and awk would make into a new file. Prints the medians and the editor's peak memory.

Run by hand: python3 bench/run.py [--repeat N] [--sizes 40K,10M,180M]
Needs cmake, a C++17 compiler, sed, awk and GNU time (/usr/bin/time, Debian package time).
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build-bench")
EDITOR = os.path.join(BUILD, "vehicle-editor")
ANSWERS = b"1 ZZTARGET B 9.5 0 0\n"
TARGET = "ZZTARGET " + " ".join(str(column) for column in range(1, 33))
REPLACEMENT = "ZZTARGET         9.5 2 3 4 5 6 7 8 9  10 11 12 13 14 15 16 17 18 19 20 21 22 23 " \
              "24 25 26 27 28 29                            30                31 32"


def parse_size(text):
    units = {"K": 1000, "M": 1000 ** 2, "G": 1000 ** 3}
    return int(float(text[:-1]) * units[text[-1].upper()]) if text[-1].isalpha() else int(text)


def build():
    subprocess.run(["cmake", "-S", ROOT, "-B", BUILD, "-DCMAKE_BUILD_TYPE=Release",
                    "-DBUILD_TESTING=OFF"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", BUILD, "--target", "vehicle-editor"], check=True,
                   stdout=subprocess.DEVNULL)


def make_file(path, size):
    values = " 1500.0 2.0 5.0 2.2 0.0 0.1 -0.2 80 0.8 0.8 0.5 4 160.0 20.0 R D 7.0 0.5 0 30.0 " \
             "1.2 0.1 0.2 0.3 20000 0.3 -0.1 0.5 0.2 4001 1 1\r\n"
    written = 0
    number = 0
    with open(path, "wb") as out:
        chunk = []
        while written < size:
            line = ("CAR%d%s" % (number, values)).encode()
            chunk.append(line)
            written += len(line)
            number += 1
            if len(chunk) == 10000:
                out.write(b"".join(chunk))
                chunk = []
        out.write(b"".join(chunk))
        out.write((TARGET + "\r\n").encode())


def timed(command, cwd, stdin=None, shell=False):
    start = time.perf_counter()
    subprocess.run(command, cwd=cwd, stdin=stdin, stdout=subprocess.DEVNULL, shell=shell,
                   check=True)
    return time.perf_counter() - start


def median_of(repeat, run):
    return statistics.median(run() for _ in range(repeat))


def measure(size, repeat, scratch):
    folder = os.path.join(scratch, "size-%d" % size)
    os.makedirs(folder, exist_ok=True)
    handling = os.path.join(folder, "handling.cfg")
    make_file(handling, size)
    actual = os.path.getsize(handling)
    answers = os.path.join(scratch, "answers")
    with open(answers, "wb") as out:
        out.write(ANSWERS)

    def ours():
        with open(answers, "rb") as stdin:
            return timed([EDITOR], folder, stdin=stdin)

    ours()  # warms the page cache; the edited file keeps the target line for the next runs
    result = {"size": actual}
    result["ours"] = median_of(repeat, ours)
    result["cp"] = median_of(repeat, lambda: timed(["cp", "handling.cfg", "copy.cfg"], folder))
    result["sed"] = median_of(repeat, lambda: timed(
        "sed 's/^ZZTARGET .*/%s/' handling.cfg > sed.cfg" % REPLACEMENT, folder, shell=True))
    result["awk"] = median_of(repeat, lambda: timed(
        "awk '$1 == \"ZZTARGET\" { print \"%s\"; next } { print }' handling.cfg > awk.cfg"
        % REPLACEMENT, folder, shell=True))
    with open(answers, "rb") as stdin:
        report = subprocess.run(["/usr/bin/time", "-f", "%M", EDITOR], cwd=folder, stdin=stdin,
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=True)
    result["rss"] = int(report.stderr.decode().strip().splitlines()[-1])
    shutil.rmtree(folder)
    return result


def human(size):
    for unit, scale in (("MB", 1000 ** 2), ("KB", 1000)):
        if size >= scale:
            return "%.0f %s" % (size / scale, unit)
    return "%d B" % size


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeat", type=int, default=7, help="runs of each command (median)")
    parser.add_argument("--sizes", default="40K,10M,180M", help="file sizes, comma-separated")
    parser.add_argument("--scratch", default=None, help="folder for the files (default: a temp)")
    options = parser.parse_args()

    build()
    scratch = options.scratch or tempfile.mkdtemp(prefix="vehicle-editor-bench-")
    rows = [measure(parse_size(size), options.repeat, scratch) for size in
            options.sizes.split(",")]
    if not options.scratch:
        shutil.rmtree(scratch)

    ms = lambda seconds: "%.1f" % (seconds * 1000)
    print("| size | ours ms | cp ms | sed ms | awk ms | ours/cp | ours/sed | ours/awk | "
          "our peak RSS |")
    print("|---|---|---|---|---|---|---|---|---|")
    for row in rows:
        print("| %s | %s | %s | %s | %s | %.2f | %.2f | %.2f | %d KiB |" % (
            human(row["size"]), ms(row["ours"]), ms(row["cp"]), ms(row["sed"]), ms(row["awk"]),
            row["ours"] / row["cp"], row["ours"] / row["sed"], row["ours"] / row["awk"],
            row["rss"]))
    print("\n%d runs of each command, medians; %s; %s" % (
        options.repeat, os.uname().machine, subprocess.run(
            ["nproc"], capture_output=True, text=True).stdout.strip() + " cores"))


if __name__ == "__main__":
    sys.exit(main())
