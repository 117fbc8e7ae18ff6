#!/bin/sh
# Checks a VST 2.4 module built for Windows: it exports its entry as VSTPluginMain and as
# main, both at one address, and imports nothing but DLLs every Windows system carries.
# Usage: check_module_exports.sh <objdump> <module.dll>
set -eu
objdump=$1
module=$2

dump=$("$objdump" -p "$module")

names=$(printf '%s\n' "$dump" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p')
for name in VSTPluginMain main; do
  printf '%s\n' "$names" | grep -qx "$name" || { echo "$module does not export $name"; exit 1; }
done
addresses=$(printf '%s\n' "$dump" | sed -n '/^Export Address Table -- /,/^$/s/.*\][[:space:]]*\([0-9a-fA-F]*\) Export RVA.*/\1/p' | sort -u)
[ "$(printf '%s\n' "$addresses" | wc -l)" -eq 1 ] || { echo "$module exports more than one entry address: $addresses"; exit 1; }

system='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|shlwapi|msvcrt|ucrtbase|ws2_32|winmm|uxtheme|msimg32|version|imm32|api-ms-win-[a-z0-9-]*)\.dll$'
imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p')
[ -n "$imports" ] || { echo "$module: no import table found"; exit 1; }
for dll in $imports; do
  printf '%s\n' "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$system" || { echo "$module imports $dll, which is not a Windows system DLL"; exit 1; }
done
echo "$module: exports VSTPluginMain and main; imports $(echo $imports)"
