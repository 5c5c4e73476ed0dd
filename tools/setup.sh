#!/usr/bin/env bash
# Installs what building and testing Tolvane needs on a Debian 12 machine,
# and only what is missing.  Safe to run again.  Needs root (or sudo).
#
# libsodium has no mingw-w64 package: the Windows build takes a static one
# that this script builds once from Debian's source package into
# build/deps/libsodium-mingw, where CMake looks for it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  cmake ninja-build g++ make pkg-config
  zlib1g-dev libgtest-dev libbenchmark-dev libssl-dev libsodium-dev
  autoconf automake libtool dpkg-dev
  mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev
  wine wine64 xvfb xauth x11-utils
  locales fonts-noto-cjk fonts-wine imagemagick python3
  fp-utils nsis libchm-bin zip unzip
  clang libclang-rt-14-dev llvm
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page from the locale, and silently falls back to
# 1252 unless the Japanese locale has really been generated.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "setup: generating ja_JP.UTF-8"
  if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
sodium=$root/build/deps/libsodium-mingw
# How the library below is built.  Change it whenever the recipe changes, so
# that machines holding a library built the old way build it again.
# The build folder's path is mapped to a fixed name, as for our own code:
# libsodium's assertion texts would otherwise carry it into every program
# linked with it, and releases built in two folders would differ.
sodium_recipe="libsodium 1.0.18 mingw-w64 static, build path mapped to 'libsodium'"
if [ ! -f "$sodium/lib/libsodium.a" ] || [ "$(cat "$sodium/recipe" 2>/dev/null)" != "$sodium_recipe" ]; then
  echo "setup: building libsodium for mingw-w64 (about two minutes)"
  . "$root/tools/lib/debian_source.sh"
  source_dir=$(debian_source libsodium "$root/build/deps/src")
  work=$root/build/deps/libsodium-build
  rm -rf "$work" "$sodium"
  cp -r "$source_dir" "$work"
  (
    cd "$work"
    autoreconf -fi >/dev/null 2>&1
    ./configure -q --host=x86_64-w64-mingw32 --disable-shared --prefix="$sodium" \
      CFLAGS="-g -O2 -ffile-prefix-map=$work=libsodium" >/dev/null
    make -s -j2 install >/dev/null 2>&1
  )
  rm -rf "$work"
  [ -f "$sodium/lib/libsodium.a" ] || { echo "setup: libsodium for mingw-w64 did not build"; exit 1; }
  echo "$sodium_recipe" > "$sodium/recipe"
fi
echo "setup: ok"
