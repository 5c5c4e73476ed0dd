#!/usr/bin/env bash
# Prepares the Windows benchmarks: Google Benchmark is not packaged for
# mingw-w64, so this fetches Debian's own source package of it and builds
# that with our cross toolchain into build/deps/benchmark-mingw, where the
# bench-windows preset looks for it.  Only the benchmarks need this; the
# tests (tools/test.sh) never do.  Safe to run again; needs root (or sudo)
# once, to give apt a source entry.
#
#   bash tools/bench-setup.sh
#   cmake --workflow --preset bench-windows
#   bash cmake/wine-run.sh build/bench-windows/bench/editor/editor_bench.exe
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
deps=$root/build/deps
prefix=$deps/benchmark-mingw

if [ -f "$prefix/lib/cmake/benchmark/benchmarkConfig.cmake" ]; then
  echo "bench-setup: ok"
  exit 0
fi

bash tools/setup.sh

. tools/lib/debian_source.sh
source_dir=$(debian_source benchmark "$deps/src")
version=$(basename "$source_dir")
version=${version#benchmark-}

cmake -S "$source_dir" -B "$deps/benchmark-build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DBUILD_SHARED_LIBS=OFF \
  -DGIT_VERSION="$version" \
  -DBENCHMARK_ENABLE_TESTING=OFF \
  -DBENCHMARK_ENABLE_GTEST_TESTS=OFF \
  -DBENCHMARK_ENABLE_WERROR=OFF \
  -DBENCHMARK_ENABLE_LTO=OFF \
  -DBENCHMARK_INSTALL_DOCS=OFF >/dev/null
cmake --build "$deps/benchmark-build" -j2
cmake --install "$deps/benchmark-build" >/dev/null
echo "bench-setup: ok"
