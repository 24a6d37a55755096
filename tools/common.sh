# Shared by the run and test commands.

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_deps() {
    as_root tools/install-deps.sh
}

build() {
    cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake
    cmake --build build -j "$(nproc)"
}

# libpulse's default 64 MiB memory pool does not fit beside Wine in a 32-bit
# address space when the 32-bit loader runs under qemu-i386.
pulse_client_config() {
    local conf=$1
    printf 'enable-shm = no\nenable-memfd = no\nautospawn = no\nshm-size-bytes = 16777216\n' > "$conf"
    echo "$conf"
}
