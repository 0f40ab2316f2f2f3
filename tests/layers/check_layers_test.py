#!/usr/bin/env python3
"""The layer check passes on the source tree and names the file, the line and the folder of an
include that runs the wrong way, or that climbs out of its folder."""
import pathlib
import shutil
import subprocess
import sys
import tempfile

source = pathlib.Path(sys.argv[1])
check = source / "scripts" / "check-layers"


def run(tree):
    return subprocess.run([sys.executable, str(check), str(tree)], capture_output=True, text=True)


failures = []
clean = run(source)
if clean.returncode != 0:
    failures.append("the source tree itself fails:\n" + clean.stderr)

with tempfile.TemporaryDirectory() as folder:
    tree = pathlib.Path(folder)
    (tree / "cmake").mkdir()
    shutil.copy(source / "cmake" / "layers.txt", tree / "cmake" / "layers.txt")
    for name in ("base", "tables", "server", "app"):
        (tree / name).mkdir()
    (tree / "server" / "Up.h").write_text('#include "tables/Table.h"\n#include "base/Error.h"\n')
    (tree / "tables" / "Down.cpp").write_text('#include "tables/Table.h"\n\n#include "server/Up.h"\n')
    (tree / "base" / "Climb.h").write_text('#include "../app/Main.h"\n')
    (tree / "app" / "Main.cpp").write_text('#include "server/Up.h"\n#include "ui_TForm1.h"\n')
    broken = run(tree)
    lines = broken.stderr.splitlines()
    if broken.returncode == 0:
        failures.append("a wrong-way include passed")
    for expected in ("tables/Down.cpp:3: includes server/, which tables/ may not use",
                     "base/Climb.h:1: reaches out of its folder with a relative path"):
        if not any(line.startswith(expected) for line in lines):
            failures.append(f"no line starting {expected!r} in:\n{broken.stderr}")
    if any("server/Up.h" in line.split(":")[0] or "app/Main.cpp" in line for line in lines):
        failures.append(f"an allowed include was named:\n{broken.stderr}")

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("layer check: passes the tree, names the wrong-way and climbing includes")
