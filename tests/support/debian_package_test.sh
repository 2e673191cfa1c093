#!/usr/bin/env bash
# The Debian package, made with cpack in the build folder: lintian finds no
# error in it; installed into a scratch root with dpkg, its miwake runs and
# its manual page reads; removed, its files are gone; made twice, it is the
# same bytes.
# Usage: debian_package_test.sh CPACK BUILD_DIR SAMPLE_GIF
set -euo pipefail
cpack="$1" build="$2" gif="$3"
root="$(mktemp -d /tmp/miwake-deb-root.XXXXXX)"
copy="$(mktemp -d /tmp/miwake-deb-first.XXXXXX)"
trap 'rm -rf "$root" "$copy"' EXIT

make_package() {
  (cd "$build" && "$cpack" --config CPackConfig.cmake) |
    sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p'
}
deb="$(make_package)"
[ -f "$deb" ] || { echo "cpack made no package"; exit 1; }
version="$(dpkg-deb -f "$deb" Version)"
echo "package: $deb, version $version"

# Tolerated: the licence names no year, which the check for a copyright
# notice wants; and the tests of CI run as root.
lintian_out="$(lintian --allow-root --fail-on error --suppress-tags copyright-without-copyright-notice "$deb")" ||
  { echo "$lintian_out"; echo "lintian found errors"; exit 1; }
echo "lintian: ${lintian_out:-clean}"

# A database of its own; the scratch root has no shared-mime-info, and no
# shell for maintainer scripts (the package has none).
mkdir -p "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/info"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
# Images that leave manual pages and documents out (path-exclude) must not
# leave them out here.
dpkg --root="$root" --force-depends --force-script-chrootless --log=/dev/null \
  --path-include='/usr/share/man/*' --path-include='/usr/share/doc/*' -i "$deb"
installed="$(dpkg-query --admindir="$root/var/lib/dpkg" -W -f='${Status} ${Version}' miwake)"
[ "$installed" = "install ok installed $version" ] || { echo "dpkg says: $installed"; exit 1; }

miwake="$root/usr/bin/miwake"
file_out="$(file -b "$miwake")"
[[ "$file_out" == *", stripped"* ]] || { echo "miwake is not stripped: $file_out"; exit 1; }
json="$("$miwake" --json "$gif")"
echo "$json"
[[ "$json" == *'"code":108,'* ]] || { echo "the installed miwake got the GIF wrong"; exit 1; }
said="$("$miwake" --version)"
[ "$said" = "miwake $version" ] || { echo "miwake --version says \"$said\", the package $version"; exit 1; }

page="$root/usr/share/man/man1/miwake.1.gz"
text="$(MANPAGER=cat MANWIDTH=80 man -l "$page" 2>&1)"
for words in 'miwake - tell what kind a file really is' '--mismatches' 'TYPE DATABASE' 'miwake 3'; do
  [[ "$text" == *"$words"* ]] || { echo "the manual page lacks \"$words\":"; echo "$text"; exit 1; }
done
gzip -t "$page"
format="$(head -1 "$root/usr/share/doc/miwake/copyright")"
[ "$format" = 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ] ||
  { echo "copyright: not machine-readable: $format"; exit 1; }

dpkg --root="$root" --force-script-chrootless --log=/dev/null -r miwake
for f in usr/bin/miwake usr/share/man/man1/miwake.1.gz usr/share/doc/miwake/copyright; do
  [ ! -e "$root/$f" ] || { echo "$f is left after removal"; exit 1; }
done

cp "$deb" "$copy/"
again="$(make_package)"
cmp "$copy/$(basename "$deb")" "$again" || { echo "two builds of the package differ"; exit 1; }
echo "made twice, the same bytes"
