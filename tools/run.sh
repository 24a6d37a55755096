#!/usr/bin/env bash
# Builds the dialler and starts it under Wine, installing what is missing
# first.  It runs in vemro-home/, where it keeps dial_list.txt.  Without a
# display it starts a virtual one and saves a screenshot instead.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/common.sh

install_deps
build

home=$PWD/vemro-home
mkdir -p "$home"
export WINEPREFIX=${WINEPREFIX:-$PWD/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export LC_ALL=ja_JP.UTF-8
if [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && [ -z "${PULSE_CLIENTCONFIG:-}" ]; then
    export PULSE_CLIENTCONFIG=$(pulse_client_config "$PWD/build/pulse-client.conf")
fi
exe=$PWD/build/bin/VEMRO.exe

if [ -n "${DISPLAY:-}" ]; then
    echo "Starting VEMRO.exe in $home"
    cd "$home"
    exec wine "$exe"
fi

echo "No display: starting a virtual one (Xvfb) to show the window."
display=77
while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
Xvfb :$display -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:$display
trap 'wineserver -k >/dev/null 2>&1 || true; kill $xvfb 2>/dev/null || true' EXIT
sleep 1
(cd "$home" && exec wine "$exe" </dev/null >/dev/null 2>&1) &
if ! timeout 180 xdotool search --sync --onlyvisible --name 'VEMRO: tone dialler' >/dev/null; then
    echo "The window did not appear." >&2
    exit 1
fi
sleep 2
shot=$home/screenshot.png
# The window is centred on the 1024 x 768 screen.
import -window root -crop 400x360+312+204 "$shot"
echo "VEMRO.exe ran on the virtual display $DISPLAY; a screenshot of its window is in $shot"
