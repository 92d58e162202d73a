# The shipped data/vantor.ini shows each key at the value the code falls back to without it, but
# for the keys listed in CHANGED, which the shipped file sets on purpose.
# Usage: sh tests/ini_defaults.sh SOURCE_DIR
set -u
cd "$1" || exit 1
CHANGED="fscreen wresize vsync autopause playcd random"
status=0
keys=0
for pair in $(sed -n 's/^\([A-Za-z]*\) = \([^ ]*\)$/\1=\2/p' data/vantor.ini); do
    key=${pair%%=*}
    value=${pair#*=}
    case " $CHANGED " in *" $key "*) continue ;; esac
    # IniGetInt(INI_FILE, "key", default) or IniGetString(INI_FILE, "key", "default", ...)
    defaults=$( (grep -rhoE "IniGet[A-Za-z]*\(INI_FILE, \"$key\", [^,)]+" src |
        sed -E 's/.*", //; s/"//g'
        grep -rhoE "\{\"$key\", SETTING_[A-Z]+, [^,]+" src | sed -E 's/.*, //') | sort -u)
    [ -n "$defaults" ] || { echo "FAIL: no read of '$key' in src/"; status=1; continue; }
    for d in $defaults; do
        case $d in [A-Z_]*)
            d=$(grep -rhoE "\b$d = [^;]+;" src | head -n 1 | sed -E 's/.* = //; s/f?;$//') ;;
        esac
        d=${d%f}
        same=$(awk -v a="$d" -v b="$value" 'BEGIN { print (a == b || a + 0 == b + 0 && a b ~ /^[-0-9.]+$/) ? 1 : 0 }')
        [ "$same" = 1 ] || { echo "FAIL: $key: vantor.ini has $value, the code falls back to $d"; status=1; }
    done
    keys=$((keys + 1))
done
[ "$keys" -ge 40 ] || { echo "FAIL: only $keys keys checked"; status=1; }
[ "$status" -eq 0 ] && echo "ini_defaults: $keys keys match"
exit "$status"
