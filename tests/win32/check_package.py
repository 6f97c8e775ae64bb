#!/usr/bin/env python3
"""The Windows package as a user unpacks it: the zip made by CPack in a Release build holds
plinkett.exe (the very file this build's tests run), the Windows guide, the read-me, the licence
and the runtime's notices, and nothing else; the program imports only Windows' own DLLs, carries
no symbols, and its version resource and manifest read back from it. The zip is then unpacked
for the end-to-end cases, which run its plinkett.exe.

    check_package.py --build DIR --build-type T --program EXE --cpack CPACK --objdump OBJDUMP
                     --windres WINDRES --unpack DIR

Exit status 0 = passed, 1 = failed.
"""

import argparse
import glob
import os
import re
import shutil
import subprocess
import sys
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.join(HERE, "..", "..")
sys.path.insert(0, os.path.join(HERE, "..", "packaging"))
from check_guides import foreign_words  # noqa: E402

CONTENTS = {"plinkett.exe", "README.txt", "LICENSE.txt", "THIRD-PARTY-NOTICES.txt",
            "guide/index.html", "guide/using-this-guide.html"}
# DLLs every Windows has; the runtime of the compiler is linked in.
WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "winmm.dll", "shell32.dll",
                "comctl32.dll", "imm32.dll", "advapi32.dll", "msvcrt.dll"}


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def program_version():
    with open(os.path.join(SOURCE, "src", "platform", "events.h")) as f:
        return re.search(r'kVersion = "([0-9.]+)"', f.read()).group(1)


def run(argv, **kwargs):
    result = subprocess.run(argv, capture_output=True, text=True, timeout=120, **kwargs)
    check(result.returncode == 0, f"{' '.join(argv)} failed: {result.stderr}")
    return result.stdout


def make_zip(args):
    for old in glob.glob(os.path.join(args.build, "Plinkett-*-win64.zip")):
        os.remove(old)
    run([args.cpack, "-G", "ZIP"], cwd=args.build)
    zips = glob.glob(os.path.join(args.build, f"Plinkett-{program_version()}-win64.zip"))
    check(len(zips) == 1, f"CPack made no Plinkett-{program_version()}-win64.zip")
    return zips[0]


def check_program(args, exe):
    imports = {m.lower() for m in re.findall(r"DLL Name: (\S+)", run([args.objdump, "-p", exe]))}
    check(imports and imports <= WINDOWS_DLLS, f"plinkett.exe imports {sorted(imports - WINDOWS_DLLS)}")
    check("no symbols" in run([args.objdump, "-t", exe]), "plinkett.exe carries symbols")
    resources = run([args.windres, "-i", exe, "-O", "rc"])
    version = program_version()
    for field, value in (("ProductName", "Plinkett"), ("ProductVersion", version), ("FileVersion", version),
                         ("OriginalFilename", "plinkett.exe")):
        check(f'VALUE "{field}", "{value}"' in resources, f"the version resource has no {field} {value}")
    check(re.search(r'VALUE "FileDescription", "[^"]+"', resources), "the version resource has no description")
    major, minor = version.split(".")
    check(re.search(rf"FILEVERSION {int(major)}, {int(minor)}, 0, 0", resources), "FILEVERSION is not the version")
    manifest = "".join(re.findall(r'^\s*"(.*)\\n"$', resources.split("RT_MANIFEST", 1)[-1], re.M))
    for wanted in ("PerMonitorV2", '<dpiAware xmlns=""http://schemas.microsoft.com/SMI/2005/WindowsSettings"">true<',
                   'name=""Microsoft.Windows.Common-Controls"" version=""6.0.0.0""'):
        check(wanted in manifest, f"the manifest lacks {wanted}")


def check_texts(read):
    guide = read("guide/index.html").decode("utf-8")
    found = foreign_words(guide, "windows")
    check(not found, f"the zip's guide is not the Windows one: it names {sorted(set(found))}")
    check(b'id="using-this-guide"' in read("guide/using-this-guide.html"), "Using help has no page of its own")
    with open(os.path.join(SOURCE, "LICENSE"), "rb") as f:
        licence = f.read().replace(b"\n", b"\r\n")
    check(read("LICENSE.txt") == licence, "LICENSE.txt is not the licence with Windows line ends")
    notices = read("THIRD-PARTY-NOTICES.txt")
    for wanted in (b"GCC RUNTIME LIBRARY EXCEPTION", b"winpthreads", b"mingw-w64-crt", b"ZPL-2.1"):
        check(wanted in notices, f"THIRD-PARTY-NOTICES.txt lacks {wanted.decode()}")
    check(b"\r\n" in read("README.txt"), "README.txt has no Windows line ends")


def main():
    parser = argparse.ArgumentParser()
    for name in ("build", "build-type", "program", "cpack", "objdump", "windres", "unpack"):
        parser.add_argument(f"--{name}", required=True)
    args = parser.parse_args()
    try:
        check(args.build_type == "Release", f"this Windows build is {args.build_type or 'of no type'}: the tests run "
              "the program that ships, so configure it with -DCMAKE_BUILD_TYPE=Release")
        path = make_zip(args)
        with zipfile.ZipFile(path) as z:
            top = f"Plinkett-{program_version()}-win64/"
            names = {n[len(top):] for n in z.namelist() if n.startswith(top) and not n.endswith("/")}
            check(len(names) == len([n for n in z.namelist() if not n.endswith("/")]), "files outside the top folder")
            check(names == CONTENTS, f"the zip holds {sorted(names)}")
            with open(args.program, "rb") as f:
                check(z.read(top + "plinkett.exe") == f.read(), "the zip's plinkett.exe is not the one tested")
            check_texts(lambda n: z.read(top + n))
            shutil.rmtree(args.unpack, ignore_errors=True)
            z.extractall(args.unpack)
        unpacked = os.path.join(args.unpack, "plinkett.exe")
        for name in os.listdir(os.path.join(args.unpack, top)):
            shutil.move(os.path.join(args.unpack, top, name), os.path.join(args.unpack, name))
        os.rmdir(os.path.join(args.unpack, top))
        check_program(args, unpacked)
    except Failure as failure:
        print(f"FAIL package: {failure}")
        return 1
    print(f"PASS package: {path}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
