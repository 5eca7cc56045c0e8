#!/usr/bin/env python3
"""Packs a folder tree into the ZIP archive that the installer carries as a resource.

Usage: pack_resources.py SOURCE_DIR OUTPUT_ZIP [--root NAME] [--exclude NAME]...

Every entry sits below NAME/ (default: the source folder's own name) and uses forward
slashes; every folder has an entry of its own. A file is deflated when that makes it
smaller and stored otherwise (pictures are compressed already). Names starting with a
dot are left out, and so are the top-level names given with --exclude (the folder's own
build script). Entries come in name order with a fixed date and DOS attributes, so the
same tree always gives the same bytes, on every platform. The output is rewritten only
when those bytes change: an unchanged tree does not relink the programs.
"""

import argparse
import io
import os
import sys
import zipfile
import zlib

FIXED_DATE = (1980, 1, 1, 0, 0, 0)
DOS_DIRECTORY = 0x10
DOS_ARCHIVE = 0x20


def raw_deflate(data):
    # The same stream zipfile writes for ZIP_DEFLATED at level 9.
    compressor = zlib.compressobj(9, zlib.DEFLATED, -15)
    return compressor.compress(data) + compressor.flush()


def entry_info(name, attributes, method):
    info = zipfile.ZipInfo(name, date_time=FIXED_DATE)
    info.create_system = 0  # DOS attribute bytes
    info.external_attr = attributes
    info.compress_type = method
    return info


def collect(source, excluded):
    """Yields (archive-relative path, is_folder) in name order, folders before their content."""
    for folder, subfolders, files in os.walk(source):
        relative = os.path.relpath(folder, source)
        at_top = relative == "."
        subfolders[:] = sorted(d for d in subfolders
                               if not d.startswith(".") and not (at_top and d in excluded))
        if not at_top:
            yield relative.replace(os.sep, "/"), True
        for name in sorted(files):
            if name.startswith(".") or (at_top and name in excluded):
                continue
            path = name if at_top else os.path.join(relative, name)
            yield path.replace(os.sep, "/"), False


def build_archive(source, root, excluded):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as archive:
        archive.writestr(entry_info(root + "/", DOS_DIRECTORY, zipfile.ZIP_STORED), b"")
        for relative, is_folder in collect(source, excluded):
            name = root + "/" + relative
            if is_folder:
                archive.writestr(entry_info(name + "/", DOS_DIRECTORY, zipfile.ZIP_STORED), b"")
                continue
            with open(os.path.join(source, relative), "rb") as f:
                data = f.read()
            method = zipfile.ZIP_DEFLATED if len(raw_deflate(data)) < len(data) else zipfile.ZIP_STORED
            archive.writestr(entry_info(name, DOS_ARCHIVE, method), data, compresslevel=9)
    return buffer.getvalue()


def main():
    parser = argparse.ArgumentParser(description="Pack a folder tree into the resource archive.")
    parser.add_argument("source")
    parser.add_argument("output")
    parser.add_argument("--root", help="top folder of every entry (default: the source folder's name)")
    parser.add_argument("--exclude", action="append", default=[], help="top-level name to leave out")
    args = parser.parse_args()

    source = os.path.abspath(args.source)
    if not os.path.isdir(source):
        print(f"pack_resources: not a folder: {args.source}", file=sys.stderr)
        return 1
    root = (args.root or os.path.basename(source)).strip("/")
    data = build_archive(source, root, set(args.exclude))

    try:
        with open(args.output, "rb") as f:
            if f.read() == data:
                return 0
    except FileNotFoundError:
        pass
    os.makedirs(os.path.dirname(os.path.abspath(args.output)), exist_ok=True)
    temporary = args.output + ".tmp"
    with open(temporary, "wb") as f:
        f.write(data)
    os.replace(temporary, args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
