#!/usr/bin/env bash
# Runs the load host under Wine, in a prefix of its own that is removed afterwards.
#   run_load_host.sh <LoadHost.exe> <folder of DLLs> <loads>
# Exit status: the host's; 77 (skipped) when Wine is not installed.
set -euo pipefail
host=$1
dlls=$2
loads=$3
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
if [[ ! -x $wine ]]; then
  echo "wine64 is not installed: skipped"
  exit 77
fi
[[ -f $host ]] || { echo "$host is missing: build the x64 preset"; exit 1; }
shopt -s nullglob
libraries=("$dlls"/*.dll)
((${#libraries[@]})) || { echo "no DLLs in $dlls: run scripts/dist.sh"; exit 1; }

prefix=$(mktemp -d "${TMPDIR:-/tmp}/orv-loadhost.XXXXXX")
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT

# wineserver keeps the output pipes of what it starts open for a few seconds after the end:
# output goes to files, so that whoever reads ours does not wait for it.
"$wine" wineboot -i >"$prefix/boot.log" 2>&1
"$wineserver" -w
mkdir -p "$prefix/drive_c/loadhost"
cp "$host" "${libraries[@]}" "$prefix/drive_c/loadhost/"
arguments=()
for library in "${libraries[@]}"; do arguments+=("C:\\loadhost\\$(basename "$library")"); done
status=0
"$wine" 'C:\loadhost\LoadHost.exe' "$loads" "${arguments[@]}" >"$prefix/host.out" 2>&1 || status=$?
cat "$prefix/host.out"
exit "$status"
