#!/bin/sh
# debian_package.sh BUILD_DIR: the Debian package installs a utility that finds its catalog and
# its translations from any directory, its manual page, its copyright and a bash completion that
# completes.
set -eu
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
cpack -G DEB --config "$1/CPackConfig.cmake" -B "$unpacked" >/dev/null
dpkg-deb -x "$unpacked"/tarvix_*.deb "$unpacked"
(cd / && env -i "$unpacked/usr/bin/tarvix" || true) | grep -qx 'Usage: tarvix <program> \[arguments...\]'
localedef -i de_DE -f UTF-8 "$unpacked/de_DE.UTF-8"
(cd / && env -i LOCPATH="$unpacked" LANG=de_DE.UTF-8 "$unpacked/usr/bin/tarvix" || true) |
    grep -qx 'Aufruf: tarvix <Programm> \[Argumente...\]'
test -f "$unpacked/usr/share/man/man1/tarvix.1.gz"
test -f "$unpacked/usr/share/doc/tarvix/copyright"
"$(dirname "$0")/completion.sh" "$unpacked/usr/share/bash-completion/completions/tarvix"
