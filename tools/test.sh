#!/usr/bin/env bash
# Builds everything and runs every test, installing what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/common.sh

install_deps
build
cd build
ctest --output-on-failure
