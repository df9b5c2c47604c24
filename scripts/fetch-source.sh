#!/bin/bash
# Fetches a library's sources for the Windows build from Debian's source package, with apt and
# a private configuration, so that the system's package lists stay as they are.
# Usage: scripts/fetch-source.sh PACKAGE DEST FILE
#   PACKAGE  Debian source package (pugixml, libxml2)
#   DEST     where the upstream tarball is unpacked
#   FILE     a file the sources must hold, relative to DEST (src/pugixml.cpp): present, nothing
#            is fetched; missing afterwards, the fetch failed
set -euo pipefail
usage="usage: fetch-source.sh PACKAGE DEST FILE"
package=${1:?$usage}
dest=${2:?$usage}
file=${3:?$usage}
if [[ -f $dest/$file ]]; then exit 0; fi
mkdir -p "$(dirname "$dest")"
dest=$(cd "$(dirname "$dest")" && pwd)/$(basename "$dest")
work=$(dirname "$dest")/$package-apt
rm -rf "$work"
mkdir -p "$work/sources" "$work/lists/partial" "$work/cache/archives/partial" "$work/download"
: > "$work/none.list"

# The system's own archives, as source entries.
found=0
for f in /etc/apt/sources.list.d/*.sources; do
  [[ -f $f ]] || continue
  sed 's/^Types:.*/Types: deb-src/' "$f" > "$work/sources/$(basename "$f")"
  found=1
done
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [[ -f $f ]] || continue
  grep -E '^deb ' "$f" | sed 's/^deb /deb-src /' > "$work/sources/$(basename "$f" .list)-src.list" || true
  found=1
done
if [[ $found == 0 ]]; then
  echo "fetch-source: no apt sources found in /etc/apt" >&2
  exit 1
fi

apt_opts=(
  -o "Dir::Etc::SourceParts=$work/sources" -o "Dir::Etc::SourceList=$work/none.list"
  -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache"
  -o APT::Sandbox::User=root
)
apt-get "${apt_opts[@]}" -qq update
# The newest version first; a mirror may lack it (an update's sources not yet there), so each
# older one the lists name is tried in turn: the upstream tarball is what is built.
fetched=0
for version in "" $(apt-cache "${apt_opts[@]}" showsrc "$package" 2>/dev/null |
  sed -n 's/^Version: //p' | sort -rV | uniq); do
  if (cd "$work/download" &&
    apt-get "${apt_opts[@]}" -qq source --download-only "$package${version:+=$version}"); then
    fetched=1
    break
  fi
done
if [[ $fetched == 0 ]]; then
  echo "fetch-source: apt fetched no version of $package" >&2
  exit 1
fi

# The upstream tarball holds the sources; Debian's changes touch only its packaging.
orig=$(ls "$work/download/${package}_"*.orig.tar.* 2>/dev/null | head -1)
if [[ -z $orig ]]; then
  echo "fetch-source: apt fetched no $package sources" >&2
  exit 1
fi
mkdir -p "$dest"
tar -xf "$orig" -C "$dest" --strip-components=1
if [[ ! -f $dest/$file ]]; then
  echo "fetch-source: $orig holds no $file" >&2
  exit 1
fi
rm -rf "$work"
echo "fetch-source: $(basename "$orig") unpacked into $dest"
