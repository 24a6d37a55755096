#!/usr/bin/env bash
# Creates a fresh Wine prefix for one test run.
set -euo pipefail
prefix=$1
export WINEPREFIX=$prefix WINEDEBUG=-all HOME=$(dirname "$prefix")
wineserver -k 2>/dev/null || true
rm -rf "$prefix"
wineboot -i >/dev/null 2>&1
wineserver -w
test -f "$prefix/system.reg"
echo "Wine prefix ready: $prefix"
