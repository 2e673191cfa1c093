#!/usr/bin/env bash
# The folders of src/ are layers: each may include only its own headers and
# those of the folders it stands on. Prints every include that reaches up.
set -euo pipefail
src="$1"
declare -A may=(
  [common]="common"
  [identify]="common identify"
  [settings]="common settings"
  [toolkit]="common toolkit"
  [actions]="common identify actions"
  [types]="common identify types"
  [miwake]="common identify types miwake"
  [dialogs]="common settings toolkit dialogs"
  [fmiwaker]="common identify settings toolkit actions dialogs fmiwaker"
)
bad=0
for dir in "$src"/*/; do
  folder="$(basename "$dir")"
  [ -n "${may[$folder]:-}" ] || { echo "src/$folder: a folder of no known layer"; bad=1; continue; }
  while IFS=: read -r file line used; do
    [[ " ${may[$folder]} " == *" $used "* ]] && continue
    echo "${file#"$src"/}:$line: includes $used/, above or beside src/$folder"
    bad=1
  done < <(grep -rnoE '#include "[a-z_]+/' "$dir" | sed -E 's/#include "([a-z_]+)\/$/\1/')
done
exit "$bad"
