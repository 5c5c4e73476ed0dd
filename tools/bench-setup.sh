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

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

# apt-get source unpacks with dpkg-source, and needs a deb-src entry, which
# Debian images ship without.
if ! command -v dpkg-source >/dev/null; then
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends dpkg-dev >/dev/null
fi
if ! apt-get source --print-uris benchmark >/dev/null 2>&1; then
  echo "bench-setup: adding the Debian source entry"
  . /etc/os-release
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s %s-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$VERSION_CODENAME" "$VERSION_CODENAME" |
    "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
  "${sudo_cmd[@]}" apt-get update -qq
fi

mkdir -p "$deps/src"
(
  cd "$deps/src"
  if ! ls -d benchmark-*/ >/dev/null 2>&1; then
    apt-get source -qq benchmark >/dev/null
  fi
)
source_dir=$(ls -d "$deps"/src/benchmark-*/ | head -n1)
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
