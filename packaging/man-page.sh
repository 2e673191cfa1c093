#!/bin/sh
# Makes miwake(1), gzipped, from the program's own --help and --version and
# the text of miwake.h2m.
# Usage: man-page.sh MIWAKE INCLUDE OUTPUT.gz
set -eu
miwake="$1" include="$2" out="$3"
page="${out%.gz}"
# help2man dates the page's header by SOURCE_DATE_EPOCH, which the caller
# sets, not by the build's day.
LC_ALL=C.UTF-8 help2man --no-info --section=1 --include="$include" --output="$page.tmp" "$miwake"
# The usage's second and third forms are in the include file's SYNOPSIS; as
# help2man leaves them, they would open the description.
perl -0pi -e 's/^\.IP\nmiwake \\fB\\-r\\fR.*?\n(\.PP\n)/$1/ms' "$page.tmp"
mv "$page.tmp" "$page"
# -n keeps the name and time out of the gzip header.
gzip -9nf "$page"
