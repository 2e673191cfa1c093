#!/bin/sh
# Makes (or removes) a file that even root may not open for writing, by the
# immutable attribute: the one way to have Windows programs under Wine see
# "access denied" for a write open when the tests run as root.
# Usage: unwritable_file.sh make|remove FILE
set -u
file="$2"
[ -e "$file" ] && chattr -i "$file" 2>/dev/null
rm -f "$file"
[ "$1" = make ] || exit 0
printf 'GIF89a\001\002\003\004\005\006\007\010' >"$file"
chattr +i "$file" 2>/dev/null || echo "unwritable_file: chattr +i is not available here" >&2
exit 0
