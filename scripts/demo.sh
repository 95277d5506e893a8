#!/usr/bin/env bash
# Builds dist/x86 and dist/x64, then runs the 64-bit actions inside a real Windows Installer
# engine (Wine's msiexec, on packages built with wixl) and prints what each action changed:
# properties, feature requests, registry values, files, the boxes it showed, the lines it wrote to
# the installer log and msiexec's exit code. A scenario fails when Wine reports that an action
# crashed or could not be loaded.
#   scripts/demo.sh [text]   only the scenarios whose title contains text
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/dist.sh >/dev/null
cmake --preset native >/dev/null
cmake --build --preset native --target engine_demo >/dev/null
exec build/native/tests/engine/engine_demo "$@"
