#!/bin/sh
# Makes (or removes) a file that even root may not open for writing, by the
# immutable attribute: the one way to have Windows programs under Wine see
# "access denied" for a write open when the tests run as root. A make that
# cannot set the attribute fails, and with it the tests that need the file.
# Usage: unwritable_file.sh make|remove FILE
set -eu
file="$2"
if [ -e "$file" ]; then chattr -i "$file"; fi
rm -f "$file"
[ "$1" = make ] || exit 0
printf 'GIF89a\001\002\003\004\005\006\007\010' >"$file"
chattr +i "$file"
