#!/usr/bin/env python3
"""Builds the Debian package from a build folder with cpack and checks it as a seller's machine
receives it: its control fields and declared dependencies, its files, its menu entry, icons and
AppStream metainfo; then starts the packaged application by its menu entry's command, as a user
who cannot write the program's folder, against the packaged stand-in site, and checks that it shows
its main window and keeps its files in the user's data folder.

check_package.py --cpack CPACK --build BUILD --version VERSION --out FOLDER"""

import argparse
import configparser
import os
import pwd
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "e2e"))
import xdrive as x  # noqa: E402

PROGRAM_DIR = "usr/lib/offrel"
DESKTOP_ENTRY = "usr/share/applications/offrel.desktop"
METAINFO = "usr/share/metainfo/fr.brivax.offrel.metainfo.xml"
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)

# Every file of the package: "exe" for a program, "file" for data, or the target of a link.
EXPECTED = {
    "usr/bin/offrel": "../lib/offrel/offrel",
    "usr/bin/offrel-site": "../lib/offrel/offrel-site",
    "usr/bin/offrel-cds": "exe",
    f"{PROGRAM_DIR}/offrel": "exe",
    f"{PROGRAM_DIR}/offrel-site": "exe",
    f"{PROGRAM_DIR}/aide.html": "file",
    f"{PROGRAM_DIR}/site-catalogue/Options.csv": "file",
    f"{PROGRAM_DIR}/site-catalogue/Categories.csv": "file",
    DESKTOP_ENTRY: "file",
    METAINFO: "file",
    **{f"usr/share/icons/hicolor/{n}x{n}/apps/offrel.png": "file" for n in ICON_SIZES},
}


class PackageFault(Exception):
    pass


def check(condition, message):
    if not condition:
        raise PackageFault(message)


def run(*args, **options):
    result = subprocess.run(args, capture_output=True, text=True, **options)
    check(result.returncode == 0, f"{' '.join(args)} failed:\n{result.stdout}{result.stderr}")
    return result.stdout


def build_package(args):
    shutil.rmtree(args.out, ignore_errors=True)
    run(args.cpack, "-G", "DEB", "--config", os.path.join(args.build, "CPackConfig.cmake"),
        "-B", args.out, cwd=args.build)
    arch = run("dpkg", "--print-architecture").strip()
    deb = os.path.join(args.out, f"offrel_{args.version}_{arch}.deb")
    check(os.path.isfile(deb), f"cpack made no {os.path.basename(deb)}: {os.listdir(args.out)}")
    return deb, arch


def control_fields(deb):
    fields, name = {}, None
    for line in run("dpkg-deb", "-f", deb).splitlines():
        if line.startswith(" ") and name:
            fields[name] += "\n" + line
        else:
            name, _, value = line.partition(":")
            fields[name] = value.strip()
    return fields


def package_names(relation):
    """The package names of a Depends-like field, alternatives included."""
    return {re.split(r"[ (]", alternative.strip())[0]
            for part in relation.split(",") for alternative in part.split("|") if alternative.strip()}


def check_fields(fields, version, arch):
    for name, value in (("Package", "offrel"), ("Version", version), ("Architecture", arch)):
        check(fields.get(name) == value, f"{name}: {fields.get(name)!r}, expected {value!r}")
    check(re.fullmatch(r".+ <[^@ ]+@[^> ]+>", fields.get("Maintainer", "")), "no Maintainer")
    summary, _, extended = fields.get("Description", "").partition("\n")
    check(summary and extended.strip(), "the Description needs a summary and a longer text")
    check("fonts-wine" in package_names(fields.get("Depends", "")), "fonts-wine is not a Depends")


def check_contents(root):
    found = {}
    for folder, _, files in os.walk(root):
        for name in files:
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, root)
            if os.path.islink(path):
                found[relative] = os.readlink(path)
            else:
                found[relative] = "exe" if os.access(path, os.X_OK) else "file"
    check(found == EXPECTED, "files of the package differ:\n"
          + "\n".join(f"  {p}: {found.get(p, 'missing')}, expected {EXPECTED.get(p, 'none')}"
                      for p in sorted(set(found) | set(EXPECTED)) if found.get(p) != EXPECTED.get(p)))


def owners(soname):
    """The packages of this machine that hold a library file of that name."""
    result = subprocess.run(["dpkg", "-S", f"*/{soname}"], capture_output=True, text=True)
    return {line.split(":")[0] for line in result.stdout.splitlines()}


def check_programs(root, depends):
    for path, kind in EXPECTED.items():
        if kind != "exe":
            continue
        dynamic = run("readelf", "-d", os.path.join(root, path))
        check(not re.search(r"\((RPATH|RUNPATH)\)", dynamic), f"{path} has a run path")
        for soname in re.findall(r"\(NEEDED\).*\[(.+)\]", dynamic):
            packages = owners(soname)
            check(packages & depends, f"{path} needs {soname} ({', '.join(packages) or 'no package'}),"
                                      " which Depends does not name")


def png_size(path):
    with open(path, "rb") as file:
        header = file.read(24)
    check(header[:8] == b"\x89PNG\r\n\x1a\n", f"{path} is not a PNG picture")
    return int.from_bytes(header[16:20], "big"), int.from_bytes(header[20:24], "big")


def check_desktop_files(root):
    run("desktop-file-validate", os.path.join(root, DESKTOP_ENTRY))
    run("appstreamcli", "validate", "--no-net", os.path.join(root, METAINFO))
    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(os.path.join(root, DESKTOP_ENTRY), encoding="utf-8")
    entry = entry["Desktop Entry"]
    command = shlex.split(entry["Exec"])[0]
    check(os.path.join("usr/bin", command) in EXPECTED, f"the menu entry runs {command}, not packaged")
    for size in ICON_SIZES:
        icon = os.path.join(root, f"usr/share/icons/hicolor/{size}x{size}/apps/{entry['Icon']}.png")
        check(png_size(icon) == (size, size), f"{icon} is {png_size(icon)}, not {size}x{size}")
    component = ElementTree.parse(os.path.join(root, METAINFO)).getroot()
    check(component.findtext("launchable") == os.path.basename(DESKTOP_ENTRY),
          "the metainfo does not launch the menu entry")
    check(os.path.join("usr/bin", component.findtext("provides/binary")) in EXPECTED,
          "the metainfo provides a command that is not packaged")
    return shlex.split(entry["Exec"])


def as_user(user):
    def drop():
        os.setgroups([])
        os.setgid(user.pw_gid)
        os.setuid(user.pw_uid)
    return drop


def check_first_start(root, work, command):
    """The packaged application started by its menu entry's command shows its main window and
    writes the catalogue it downloaded into the user's data folder, not into its own."""
    home = os.path.join(work, "home")
    os.mkdir(home)
    program_dir = os.path.join(root, PROGRAM_DIR)
    os.chmod(program_dir, 0o555)
    # root may write anywhere: the seller's run is that of an ordinary user.
    user = pwd.getpwnam("nobody") if os.geteuid() == 0 else None
    if user:
        os.chown(home, user.pw_uid, user.pw_gid)
    display = x.VirtualDisplay()
    site, url = x.start_site(os.path.join(root, "usr/bin"), os.path.join(work, "store"))
    env = dict(display.env(), HOME=home, OFFREL_SERVER_URL=url,
               PATH=os.path.join(root, "usr/bin") + os.pathsep + os.environ["PATH"])
    for name in ("OFFREL_DATA_DIR", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"):
        env.pop(name, None)
    app = subprocess.Popen(command, cwd=home, env=env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.PIPE, preexec_fn=as_user(user) if user else None)
    try:
        try:
            x.Desktop(display).wait_window(x.MAIN)
        except x.StepFailed as failure:
            app.kill()
            said = app.communicate()[1].decode(errors="replace")[-4000:]
            raise x.StepFailed(f"{failure}\napplication (exit {app.returncode}) said:\n{said}")
        with open(os.path.join(program_dir, "site-catalogue", "Categories.csv"), "rb") as file:
            catalogue = file.read()
        stored = os.path.join(home, ".local", "share", "Offrel", "Categories.csv")
        check(os.path.isfile(stored), f"no {stored}")
        with open(stored, "rb") as file:
            check(file.read() == catalogue, "the data folder's Categories.csv is not the site's")
        check(not os.path.exists(os.path.join(program_dir, "Categories.csv")),
              "the application wrote into its own folder")
    finally:
        for process in (app, site):
            process.kill()
            process.wait()
        display.close()
        os.chmod(program_dir, 0o755)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cpack", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    args.build, args.out = os.path.abspath(args.build), os.path.abspath(args.out)

    deb, arch = build_package(args)
    fields = control_fields(deb)
    check_fields(fields, args.version, arch)
    # Outside the build folder, which another user may not be able to reach.
    work = tempfile.mkdtemp(prefix="offrel-package-")
    try:
        os.chmod(work, 0o755)
        root = os.path.join(work, "root")
        run("dpkg-deb", "-x", deb, root)
        check_contents(root)
        check_programs(root, package_names(fields["Depends"]))
        command = check_desktop_files(root)
        check_first_start(root, work, command)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(f"{os.path.basename(deb)}: fields, dependencies, files, menu entry, icons, metainfo and "
          "first start checked")


if __name__ == "__main__":
    try:
        main()
    except (PackageFault, x.StepFailed) as fault:
        print(f"FAILED: {fault}", file=sys.stderr)
        sys.exit(1)
