#!/usr/bin/env bash
# Checks the Debian package that `cpack -G DEB` made in a build folder: it
# holds exactly the installed files a user needs (no test, bench or emulator
# program), and its Depends, as dpkg-shlibdeps found them, names the Qt 6 and
# curl libraries the programs link.
set -euo pipefail
build=${1:-build}

shopt -s nullglob
debs=("$build"/tavimo_*.deb)
if [ ${#debs[@]} -ne 1 ]; then
  echo "check-package: expected one tavimo_*.deb in $build, found ${#debs[@]}" >&2
  exit 1
fi
deb=${debs[0]}

expected="./usr/bin/tavimo
./usr/bin/tavimo-dl
./usr/share/applications/tavimo.desktop
./usr/share/bash-completion/completions/tavimo-dl
./usr/share/fish/vendor_completions.d/tavimo-dl.fish
./usr/share/icons/hicolor/scalable/apps/tavimo.svg
./usr/share/man/man1/tavimo-dl.1.gz
./usr/share/zsh/vendor-completions/_tavimo-dl"
files=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $6 }' | LC_ALL=C sort)
if [ "$files" != "$expected" ]; then
  echo "check-package: $deb holds other files than expected:" >&2
  diff <(echo "$expected") <(echo "$files") >&2 || true
  exit 1
fi

depends=$(dpkg-deb --field "$deb" Depends)
for library in libqt6core6 libqt6widgets6 libcurl; do
  if [[ $depends != *"$library"* ]]; then
    echo "check-package: Depends does not name $library: '$depends'" >&2
    exit 1
  fi
done
section=$(dpkg-deb --field "$deb" Section)
[ "$section" = sound ] || { echo "check-package: Section is '$section'" >&2; exit 1; }
echo "check-package: $deb is whole" >&2
