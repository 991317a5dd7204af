#!/usr/bin/env bash
# Checks the Debian package on this machine (as root): lintian finds no error; it installs with
# its dependencies; the installed bscomp compiles the demo from /usr/bin; dpkg -r removes every
# file it installed, and a purge leaves dpkg knowing nothing of it.
#   packaging/check-deb.sh build/package/brimsel_*.deb build/package/examples/samplegen/bs_make_samples
set -euo pipefail
deb=$(realpath "$1")
make_samples=$(realpath "$2")
root=$(cd "$(dirname "$0")/.." && pwd)
[ "$(id -u)" -eq 0 ] || { echo "check-deb.sh: run as root (it installs the package)"; exit 1; }

echo "== lintian"
lintian --no-tag-display-limit "$deb" | tee /tmp/brimsel-lintian.txt
if grep -q '^E:' /tmp/brimsel-lintian.txt; then
  echo "check-deb.sh: lintian reports errors"
  exit 1
fi

echo "== install"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb"
files=$(dpkg -L brimsel | while read -r f; do [ -f "$f" ] || [ -L "$f" ] && echo "$f"; done)

echo "== bscomp from /usr/bin on the demo"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$root/examples/demo/." "$work/"
mkdir -p "$work/samples"
"$make_samples" "$work/samples"
cd "$work"
[ "$(command -v bscomp)" = /usr/bin/bscomp ]
bscomp -smp demo.smp samples.txt
bscomp -ins demo.ins samples.txt instruments.txt
bscomp -sfx samples.txt effects.txt
bscomp -mus song.mus instruments.txt song/*.txt
bsinspect demo.smp > /dev/null
[ -f /usr/share/man/man1/bscomp.1.gz ]
pkg-config --exists brimsel halvex
cd /

echo "== remove"
dpkg -r brimsel
left=""
for f in $files; do
  if [ -e "$f" ] || [ -L "$f" ]; then left="$left $f"; fi
done
if [ -n "$left" ]; then
  echo "check-deb.sh: left behind after removal:$left"
  exit 1
fi
# Its postrm (ldconfig) keeps the package known to dpkg until it is purged.
dpkg -P brimsel
if dpkg-query -W brimsel > /dev/null 2>&1; then
  echo "check-deb.sh: dpkg still knows the package after purging it"
  exit 1
fi
echo "check-deb.sh: the package installs, works from /usr/bin and removes cleanly"
