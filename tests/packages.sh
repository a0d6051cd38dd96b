#!/bin/sh
# packages.sh BUILD_DIR: the Debian package and the tarball each hold a utility that finds its
# catalog and its translations from any directory, and its manual page and a bash completion
# that completes, and its copyright.
set -eu
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
cpack --config "$1/CPackConfig.cmake" -B "$unpacked" >/dev/null
dpkg-deb -x "$unpacked"/tarvix_*.deb "$unpacked"
tar -xzf "$unpacked"/tarvix-*-linux-*.tar.gz -C "$unpacked"
localedef -i de_DE -f UTF-8 "$unpacked/de_DE.UTF-8"
for root in "$unpacked/usr" "$unpacked"/tarvix-*-linux-*/; do
    (cd / && env -i "$root/bin/tarvix" || true) |
        grep -qx 'Usage: tarvix \[--help | --version\] \[--\] <program> \[arguments...\]'
    (cd / && env -i LOCPATH="$unpacked" LANG=de_DE.UTF-8 "$root/bin/tarvix" || true) |
        grep -qx 'Aufruf: tarvix \[--help | --version\] \[--\] <Programm> \[Argumente...\]'
    test -f "$root/share/doc/tarvix/copyright"
    test -f "$root/share/man/man1/tarvix.1.gz"
    "$(dirname "$0")/completion.sh" "$root/share/bash-completion/completions/tarvix"
done
