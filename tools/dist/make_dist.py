#!/usr/bin/env python3
"""Builds the package for integrators, dist/relvan-<version>.zip, from a Windows build
of the programs and from the repository:

  relvan-<version>/relvan.exe, relvanlink.dll       the build's bin/
  relvan-<version>/tools/hostsim.exe, wintest.exe   the build's bin/
  relvan-<version>/testing/inpout32.dll             the build's testbin/ (port double)
  relvan-<version>/tools/gensim/*.py                tools/gensim
  relvan-<version>/samples/data/...                 tools/consoledata/data
  relvan-<version>/README.txt, samples/*.ini, ...   tools/dist/package

The version is the first line of VERSION. The same inputs give the same zip, byte for
byte: entries sorted, one time stamp (SOURCE_DATE_EPOCH, else the last commit's),
fixed permissions. Text files of tools/dist/package get CR LF line ends, and
"@VERSION@" in them becomes the version.

The product is the 32-bit build (--arch win32, the default). --arch win64 packages a
64-bit build of the same sources as relvan-<version>-win64.zip, for machines that run
no 32-bit code (the package test runs that one there). Every program is checked to be
of the architecture asked for.

  make_dist.py [--build build/win32] [--arch win32|win64] [--out dist]
"""

import argparse
import os
import re
import stat
import struct
import subprocess
import sys
import time
import zipfile

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PACKAGE_TEXTS = os.path.join(REPO, "tools", "dist", "package")
CONSOLE_DATA = os.path.join(REPO, "tools", "consoledata", "data")
GENSIM = os.path.join(REPO, "tools", "gensim")

# Package path: path in the build folder.
PROGRAMS = {
    "relvan.exe": "bin/relvan.exe",
    "relvanlink.dll": "bin/relvanlink.dll",
    "tools/hostsim.exe": "bin/hostsim.exe",
    "tools/wintest.exe": "bin/wintest.exe",
    "testing/inpout32.dll": "testbin/inpout32.dll",
}
# The PE machine field of each architecture.
MACHINES = {"win32": 0x014C, "win64": 0x8664}
TEXT_SUFFIXES = (".txt", ".ini")
EARLIEST_ZIP_TIME = 315532800  # 1980-01-01: a zip cannot say earlier


class DistError(Exception):
    pass


def read_version():
    with open(os.path.join(REPO, "VERSION")) as version_file:
        version = version_file.readline().strip()
    if not re.fullmatch(r"\d+\.\d+\.\d+", version):
        raise DistError("VERSION holds %r, not MAJOR.MINOR.PATCH" % version)
    return version


def pe_machine(path):
    """The machine field of a PE file's header, or None if it is none."""
    with open(path, "rb") as image:
        head = image.read(4096)
    if head[:2] != b"MZ" or len(head) < 0x40:
        return None
    offset = struct.unpack_from("<I", head, 0x3C)[0]
    if offset + 6 > len(head) or head[offset : offset + 4] != b"PE\0\0":
        return None
    return struct.unpack_from("<H", head, offset + 4)[0]


def program_entries(build, arch):
    entries = []
    for name, relative in sorted(PROGRAMS.items()):
        path = os.path.join(build, relative)
        if not os.path.isfile(path):
            raise DistError("%s is missing: build %s first (make build-%s)" % (path, build, arch))
        machine = pe_machine(path)
        if machine != MACHINES[arch]:
            found = "not a PE file" if machine is None else "machine 0x%04X" % machine
            raise DistError("%s is not a %s program (%s)" % (path, arch, found))
        with open(path, "rb") as program:
            entries.append((name, program.read(), True))
    return entries


def tree_entries(source, prefix, keep=lambda name: True):
    entries = []
    for folder, dirs, files in os.walk(source):
        dirs[:] = [d for d in dirs if d != "__pycache__"]
        for name in files:
            if not keep(name):
                continue
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, source).replace(os.sep, "/")
            with open(path, "rb") as source_file:
                entries.append((prefix + relative, source_file.read(), False))
    return entries


def package_texts(version):
    entries = []
    for name, data, _ in tree_entries(PACKAGE_TEXTS, ""):
        if name.endswith(TEXT_SUFFIXES):
            text = data.decode("utf-8").replace("@VERSION@", version)
            data = text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")
        entries.append((name, data, False))
    return entries


def all_entries(build, arch, version):
    entries = program_entries(build, arch)
    entries += package_texts(version)
    entries += tree_entries(CONSOLE_DATA, "samples/data/")
    entries += tree_entries(GENSIM, "tools/gensim/", keep=lambda name: name.endswith(".py"))
    names = [name for name, _, _ in entries]
    if len(set(names)) != len(names):
        raise DistError("two entries of the same name: %s" % sorted(n for n in names if names.count(n) > 1))
    return sorted(entries)


def source_date():
    """SOURCE_DATE_EPOCH, else the time of the last commit, else 1980-01-01."""
    if "SOURCE_DATE_EPOCH" in os.environ:
        stamp = int(os.environ["SOURCE_DATE_EPOCH"])
    else:
        result = subprocess.run(
            ["git", "-C", REPO, "log", "-1", "--format=%ct"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL
        )
        stamp = int(result.stdout) if result.returncode == 0 and result.stdout.strip() else 0
    return time.gmtime(max(stamp, EARLIEST_ZIP_TIME))[:6]


def write_zip(path, top, entries, date_time):
    partial = path + ".part"
    with zipfile.ZipFile(partial, "w") as archive:
        for name, data, executable in entries:
            info = zipfile.ZipInfo(top + "/" + name, date_time)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3  # Unix, so that the permissions below count
            mode = 0o755 if executable else 0o644
            info.external_attr = (stat.S_IFREG | mode) << 16
            archive.writestr(info, data, compresslevel=9)
    os.replace(partial, path)


def make_dist(build, arch, out):
    version = read_version()
    top = "relvan-%s" % version + ("" if arch == "win32" else "-" + arch)
    entries = all_entries(build, arch, version)
    os.makedirs(out, exist_ok=True)
    path = os.path.join(out, top + ".zip")
    write_zip(path, top, entries, source_date())
    return path


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(REPO, "build", "win32"), help="the Windows build folder")
    parser.add_argument("--arch", choices=sorted(MACHINES), default="win32", help="its architecture")
    parser.add_argument("--out", default=os.path.join(REPO, "dist"), help="where the zip goes")
    args = parser.parse_args(argv)
    try:
        path = make_dist(args.build, args.arch, args.out)
    except (DistError, OSError) as error:
        print("make_dist: %s" % error, file=sys.stderr)
        return 1
    print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
