#!/bin/sh
# Sets up, builds, and runs the main job on simulated boards: a sample bitstream is
# generated, loaded into a simulated XC3S200, then programmed into a simulated PROM.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" --target torvane-cli torvane-bitgen >/dev/null
"$BUILD_DIR/tools/torvane-bitgen" --part xc3s200 --seed 1 "$BUILD_DIR/sample.bit"
echo "== configure the FPGA (sim:xc3s200)"
"$BUILD_DIR/cli/torvane-cli" --board sim:xc3s200 program "$BUILD_DIR/sample.bit"
echo "== program the PROM (sim:prom)"
"$BUILD_DIR/cli/torvane-cli" --board sim:prom program "$BUILD_DIR/sample.bit"
