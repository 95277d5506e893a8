#!/usr/bin/env bash
# Builds the DLLs for both Windows architectures into dist/x86 (shipping) and dist/x64 (the one
# the installer engine here runs).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

libraries=(OrvCommon OrvDialog)
for arch in x86 x64; do
  cmake --preset "$arch" >/dev/null
  cmake --build --preset "$arch"
  mkdir -p "dist/$arch"
  for library in "${libraries[@]}"; do
    cp "build/$arch/${library,,}/$library.dll" "dist/$arch/$library.dll"
  done
done
ls -l dist/x86 dist/x64
