#!/usr/bin/env bash
# Builds the release packages from this checkout, versioned from the
# project's version in CMakeLists.txt:
#   dist/Tolvane-<version>-win64.zip    Tolvane.exe, Tolvreg.exe, vtxt.exe,
#                                       Tolvane.chm, README-ja.txt, LICENSE.txt
#   dist/Tolvane-<version>-setup.exe    the same as an installer
# An optimised cross build of its own (build/release); no tests are built.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake --preset release
cmake --build --preset release -j2 --target release
mkdir -p dist
cp build/release/Tolvane-*-win64.zip build/release/Tolvane-*-setup.exe dist/
ls -l dist
