#!/usr/bin/env bash
# Installs what building and testing need from Debian's packages (as root),
# and makes this machine able to run 32-bit Windows programs under Wine.
set -euo pipefail

packages=(
    cmake make python3 python3-pytest python3-pefile
    g++-mingw-w64-i686 binutils-mingw-w64-i686
    wine wine64 wine32:i386 wine32-preloader:i386 libpulse0:i386
    xvfb xdotool imagemagick fonts-vlgothic locales
    pulseaudio pulseaudio-utils sox multimon-ng
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine shows the Japanese texts when it runs under a Japanese locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen
fi

# Some virtual machines run 64-bit user code only, so the 32-bit Wine loader
# cannot start.  There the kernel hands 32-bit x86 programs to qemu instead.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    echo "This kernel does not run 32-bit programs: running them through qemu-i386."
    dpkg-query -W -f='${Status}' qemu-user-static 2>/dev/null | grep -q '^install ok installed' || {
        apt-get update -q
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends qemu-user-static
    }
    [ -e /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] ||
        echo ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
            > /proc/sys/fs/binfmt_misc/register
    /lib/ld-linux.so.2 --version >/dev/null
fi
