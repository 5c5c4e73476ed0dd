#!/usr/bin/env bash
# Builds the release packages from this checkout, versioned from the
# project's version in CMakeLists.txt, into dist/:
#   Tolvane-<version>-win64.zip    Tolvane.exe, Tolvreg.exe, vtxt.exe,
#                                  Tolvane.chm, README-ja.txt, LICENSE.txt
#   Tolvane-<version>-setup.exe    the same as an installer
#   SHA256SUMS                     both packages' digests (sha256sum -c SHA256SUMS)
#   winget/                        the winget manifests of this version
# An optimised cross build of its own (build/release); no tests are built.
#
# The packages are reproducible: built from the same commit in any folder they
# come out byte for byte the same.  Every recorded time is SOURCE_DATE_EPOCH,
# or the commit's time when that is not set.
#
#   tools/release.sh            build into dist/
#   tools/release.sh --verify   build twice from a copy of this commit in two
#                               scratch folders and compare the packages
#
# The winget installer URL is TOLVANE_DOWNLOAD_URL with {version} replaced.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

url_template=${TOLVANE_DOWNLOAD_URL:-https://downloads.example.jp/tolvane/{version}/Tolvane-{version}-setup.exe}

if [ "${1:-}" = "--verify" ]; then
  bash tools/setup.sh >/dev/null
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  commit=$(git rev-parse HEAD)
  # The second folder's path is longer, so that any path that leaks into a
  # package shows up as a difference.
  for dir in a "b/a-longer-folder-name"; do
    mkdir -p "$scratch/$dir"
    git archive --format=tar "$commit" | tar -x -C "$scratch/$dir"
    # Each build makes its own libsodium with setup.sh, as a fresh clone
    # does, so that a path the library keeps shows up too.  Only Debian's
    # source package is shared, which saves fetching it again.
    mkdir -p "$scratch/$dir/build/deps"
    cp -a build/deps/src "$scratch/$dir/build/deps/"
    echo "release: building $commit in $scratch/$dir"
    (cd "$scratch/$dir" && SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct "$commit") \
      bash tools/release.sh >"$scratch/$(basename "$dir").log" 2>&1) ||
      { tail -30 "$scratch/$(basename "$dir").log" >&2; exit 1; }
  done
  echo "release: SHA256SUMS of the first build:"
  cat "$scratch/a/dist/SHA256SUMS"
  if cmp "$scratch/a/dist/SHA256SUMS" "$scratch/b/a-longer-folder-name/dist/SHA256SUMS" &&
     diff -r "$scratch/a/dist" "$scratch/b/a-longer-folder-name/dist" >/dev/null; then
    echo "release: verify passed: both builds are byte-identical"
  else
    diff "$scratch/a/dist/SHA256SUMS" "$scratch/b/a-longer-folder-name/dist/SHA256SUMS" || true
    echo "release: verify FAILED: the two builds differ" >&2
    exit 1
  fi
  exit 0
fi

[ -n "${TOLVANE_SKIP_SETUP:-}" ] || bash tools/setup.sh
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && git rev-parse HEAD >/dev/null 2>&1; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
  export SOURCE_DATE_EPOCH
fi
# A fresh configuration, so that the time above is the one recorded.
rm -f build/release/CMakeCache.txt
cmake --preset release
cmake --build --preset release -j2 --target release

rm -rf dist
mkdir -p dist/winget
cp build/release/Tolvane-*-win64.zip build/release/Tolvane-*-setup.exe dist/
(cd dist && sha256sum -- Tolvane-*-win64.zip Tolvane-*-setup.exe > SHA256SUMS)

setup=$(cd dist && ls Tolvane-*-setup.exe)
version=${setup#Tolvane-}
version=${version%-setup.exe}
digest=$(sha256sum "dist/$setup" | cut -d' ' -f1)
url=${url_template//\{version\}/$version}
for manifest in installer/winget/*.yaml; do
  sed -e "s|@VERSION@|$version|g" -e "s|@INSTALLER_SHA256@|${digest^^}|g" -e "s|@INSTALLER_URL@|$url|g" \
    "$manifest" > "dist/winget/$(basename "$manifest")"
done

ls -l dist dist/winget
cat dist/SHA256SUMS
