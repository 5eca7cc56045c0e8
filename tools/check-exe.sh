#!/usr/bin/env bash
# Checks that a built executable is a GUI program of the expected PE kind and imports
# no DLL beyond the system's. Usage: check-exe.sh FILE PE32|PE32+
set -euo pipefail
exe=$1 kind=$2
desc=$(file -b "$exe")
case $kind in
  PE32) [[ $desc == "PE32 executable (GUI)"* ]] || { echo "$exe: expected PE32 GUI, got: $desc" >&2; exit 1; } ;;
  PE32+) [[ $desc == "PE32+ executable (GUI)"* ]] || { echo "$exe: expected PE32+ GUI, got: $desc" >&2; exit 1; } ;;
esac
triple=x86_64-w64-mingw32
[ "$kind" = PE32 ] && triple=i686-w64-mingw32
bad=$("$triple-objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | grep -i -E 'libgcc|libstdc|libwinpthread|zlib|jsoncpp' || true)
if [ -n "$bad" ]; then
  echo "$exe: needs non-system DLLs: $bad" >&2
  exit 1
fi
echo "check-exe: $exe is $desc"
