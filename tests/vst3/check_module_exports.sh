#!/bin/sh
# Checks a Windows plug-in module as a host's loader sees it: it exports exactly the given
# entry points and imports nothing but DLLs that every Windows system has.
#   check_module_exports.sh <objdump> <module> <export>...
set -eu
objdump=$1
module=$2
shift 2

dump=$("$objdump" -p "$module")

exports=$(printf '%s\n' "$dump" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort)
expected=$(printf '%s\n' "$@" | sort)
if [ "$exports" != "$expected" ]; then
    echo "exports of $module:"; echo "$exports"
    echo "expected:"; echo "$expected"
    exit 1
fi

system_dlls='advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msimg32.dll msvcrt.dll
ole32.dll oleaut32.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll winmm.dll'
status=0
for dll in $(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr 'A-Z' 'a-z'); do
    case " $(echo $system_dlls) " in
        *" $dll "*) ;;
        *) echo "$module imports $dll, which is not a Windows system DLL"; status=1 ;;
    esac
done
[ $status -eq 0 ] && echo "$module: exports $(echo $exports), imports only system DLLs"
exit $status
