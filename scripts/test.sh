#!/usr/bin/env bash
# Builds everything and runs every test: unit tests on the simulated machine (under ASan and
# UBSan), checks of the built DLLs, and the engine tests that run the 64-bit DLLs inside Wine's
# Windows Installer. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/dist.sh
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native -j "$(nproc)"
