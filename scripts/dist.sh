#!/usr/bin/env bash
# Builds the DLLs for both Windows architectures into dist/x86 (shipping) and dist/x64 (the one
# the installer engine here runs).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

# A library is a folder with its <Name>.def export list, as the build finds them.
definitions=(*/*.def)
for arch in x86 x64; do
  cmake --preset "$arch" >/dev/null
  cmake --build --preset "$arch"
  mkdir -p "dist/$arch"
  for definition in "${definitions[@]}"; do
    library=$(basename "$definition" .def)
    cp "build/$arch/$(dirname "$definition")/$library.dll" "dist/$arch/$library.dll"
  done
done
# Every call writes the DLL out again, and every package stores it: the DLL checks under tests/dll
# hold each to this limit.
limit=131072
echo "DLL sizes (limit $limit bytes):"
for arch in x86 x64; do
  for definition in "${definitions[@]}"; do
    library=$(basename "$definition" .def)
    size=$(stat -c %s "dist/$arch/$library.dll")
    note=""
    ((size <= limit)) || note="  over the limit"
    printf '  %-4s %-16s %7d bytes%s\n' "$arch" "$library.dll" "$size" "$note"
  done
done
