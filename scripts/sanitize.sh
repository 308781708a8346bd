#!/bin/sh
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs the whole
# test suite under them. Any report fails the run: UBSan halts on its first finding and
# LeakSanitizer (part of ASan) fails a test that leaks.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build-asan}
JOBS=${JOBS:-$(nproc)}
SANITIZE="-fsanitize=address,undefined -fno-omit-frame-pointer"

cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORVANE_WERROR=ON \
  -DTORVANE_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$SANITIZE" \
  -DCMAKE_EXE_LINKER_FLAGS="$SANITIZE" \
  -DCMAKE_SHARED_LINKER_FLAGS="$SANITIZE" ${CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" -j"$JOBS"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
cd "$BUILD_DIR"
ctest --output-on-failure -j"$JOBS"
