#!/usr/bin/env bash
# The manifest compiled into each program (resource 1 of type 24), read back
# from the executable: well-formed XML that asks for no elevation, names
# Windows 7 to 11 and gives the process code page 932 whatever the system's.
# FMIWAKER.EXE keeps its pixels and classic controls (no DPI awareness, no
# GDI scaling, no common controls 6); miwake.exe takes long paths.
# Usage: manifest_test.sh OBJDUMP VERSION FMIWAKER.EXE MIWAKE.EXE
set -euo pipefail
objdump="$1" version="$2" fmiwaker="$3" miwake="$4"

# Its bytes, found where objdump's walk of the resource tree (types at three
# spaces, names at five) puts the leaf, as an address in memory.
manifest() {
  local leaf size base vma offset
  read -r leaf size < <("$objdump" -p "$1" | awk '
    /^[0-9a-f]+   Entry: / { type = $4 }
    /^[0-9a-f]+     Entry: / { name = $4 }
    type == "0x000018," && name == "0x000001," && /Leaf: Addr:/ { print $4, $6; exit }' | tr -d ,)
  [ -n "${size:-}" ] || { echo "$1: no resource 1 of type 24" >&2; return 1; }
  base="$("$objdump" -p "$1" | awk '$1 == "ImageBase" { print $2 }')"
  read -r vma offset < <("$objdump" -h "$1" | awk '$2 == ".rsrc" { print $4, $6 }')
  dd if="$1" iflag=skip_bytes,count_bytes skip=$((16#$offset + leaf - (16#$vma - 16#$base))) \
     count=$((size)) status=none
}

# XPath steps by namespace, as Windows reads them.
step() { echo "*[local-name()='$2' and namespace-uri()='$1']"; }
v1=urn:schemas-microsoft-com:asm.v1 v3=urn:schemas-microsoft-com:asm.v3
assembly="/$(step $v1 assembly)"
os="$assembly/$(step urn:schemas-microsoft-com:compatibility.v1 compatibility)"
os="$os/$(step urn:schemas-microsoft-com:compatibility.v1 application)"
os="$os/$(step urn:schemas-microsoft-com:compatibility.v1 supportedOS)"
level="$assembly/$(step $v3 trustInfo)/$(step $v3 security)/$(step $v3 requestedPrivileges)"
level="$level/$(step $v3 requestedExecutionLevel)"
settings="$assembly/$(step $v3 application)/$(step $v3 windowsSettings)"
ws2016=http://schemas.microsoft.com/SMI/2016/WindowsSettings
ws2019=http://schemas.microsoft.com/SMI/2019/WindowsSettings

status=0
for exe in "$fmiwaker" "$miwake"; do
  xml="$(manifest "$exe")"
  xmllint --noout - <<<"$xml" || { echo "$exe: the manifest is not well-formed XML"; status=1; }
  long_paths=true
  [ "$exe" = "$miwake" ] || long_paths=""
  while IFS='|' read -r xpath want; do
    got="$(xmllint --xpath "$xpath" - <<<"$xml" 2>/dev/null || true)"
    [ "$got" = "$want" ] || { echo "$exe: $xpath is '$got', not '$want'"; status=1; }
  done <<EOF
string($assembly/@manifestVersion)|1.0
string($assembly/$(step $v1 assemblyIdentity)/@version)|$version
string($level/@level)|asInvoker
string($level/@uiAccess)|false
count($os)|4
count($os[@Id='{35138b9a-5d96-4fbd-8e2d-a2440225f93a}'])|1
count($os[@Id='{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}'])|1
count($os[@Id='{1f676c76-80e1-4239-95bb-83d0f6d0da78}'])|1
count($os[@Id='{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'])|1
string($settings/$(step $ws2019 activeCodePage))|ja-JP
string($settings/$(step $ws2016 longPathAware))|$long_paths
count(//*[local-name()='dpiAware' or local-name()='dpiAwareness' or local-name()='gdiScaling'])|0
count(//*[local-name()='dependency'])|0
EOF
done
exit "$status"
