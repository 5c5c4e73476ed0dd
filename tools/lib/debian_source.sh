# Sourced by the set-up scripts.  Debian's source packages are where the
# libraries that have no mingw-w64 package come from: they build with our
# cross toolchain from the same sources Debian builds its own packages from.
#
#   debian_source NAME DIR   unpacks the source package NAME into DIR (once)
#                            and prints the folder it unpacked to
#
# Needs root (or sudo) the first time, to give apt a source entry.

debian_source() {
  local name=$1 dir=$2
  local sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  # apt-get source unpacks with dpkg-source, and needs a deb-src entry, which
  # Debian images ship without.
  if ! command -v dpkg-source >/dev/null; then
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends dpkg-dev >/dev/null
  fi
  if ! apt-get source --print-uris "$name" >/dev/null 2>&1; then
    echo "setup: adding the Debian source entry" >&2
    # The same mirrors as the binary packages: their entries with deb-src.
    local list=/etc/apt/sources.list.d
    if [ -f $list/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' $list/debian.sources | "${sudo_cmd[@]}" tee $list/debian-src.sources >/dev/null
    fi
    if [ -f /etc/apt/sources.list ]; then
      sed -n 's/^deb \(.*\)$/deb-src \1/p' /etc/apt/sources.list | "${sudo_cmd[@]}" tee $list/debian-src.list >/dev/null
    fi
    "${sudo_cmd[@]}" apt-get update -qq
  fi
  mkdir -p "$dir"
  if ! ls -d "$dir/$name"-*/ >/dev/null 2>&1; then
    (cd "$dir" && apt-get source -qq "$name" >/dev/null 2>&1)
  fi
  ls -d "$dir/$name"-*/ | head -n1
}
