#!/usr/bin/env bash
# Checks the dynamic symbol table of libsensordll against its exported
# headers.
#
#   check-exports.sh [--nm NM] [--cxxfilt CXXFILT] [--require-complete]
#                    [--list-interface] INCLUDE_DIR LIBRARY
#
# Allowed are: the public members of ISensorController and the free
# functions and globals that the headers in INCLUDE_DIR declare with
# SENSORDLL_API, and the symbols the linker itself defines. Anything else the
# library exports is an internal that leaked, and fails the check.
# With --require-complete every one of those interface names must also be
# exported (the library is complete); without it the missing ones are only
# listed.
set -euo pipefail

nm_tool=nm
cxxfilt_tool=c++filt
require_complete=0
list_only=0
while [[ $# -gt 0 ]]; do
    case "$1" in
        --nm) nm_tool=$2; shift 2 ;;
        --cxxfilt) cxxfilt_tool=$2; shift 2 ;;
        --require-complete) require_complete=1; shift ;;
        --list-interface) list_only=1; shift ;;
        --) shift; break ;;
        -*) echo "check-exports: unknown option $1" >&2; exit 2 ;;
        *) break ;;
    esac
done
if [[ $# -ne 2 ]]; then
    echo "usage: check-exports.sh [--nm NM] [--cxxfilt CXXFILT] [--require-complete] [--list-interface] INCLUDE_DIR LIBRARY" >&2
    exit 2
fi
include_dir=$1
library=$2

shopt -s nullglob
headers=("$include_dir"/*.h)
if [[ ${#headers[@]} -eq 0 ]]; then
    echo "check-exports: no headers in $include_dir" >&2
    exit 2
fi
if [[ ! -f $library ]]; then
    echo "check-exports: no library $library" >&2
    exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Interface names from the headers, one per line: "free NAME" for the free
# functions and globals, "member NAME" for the public members of the class
# (constructor and destructor included, deleted members left out).
awk '
    function trailing_name(text,    n) {
        sub(/[ \t]+$/, "", text)
        if (match(text, /~?[A-Za-z_][A-Za-z0-9_]*$/)) return substr(text, RSTART, RLENGTH)
        return ""
    }
    function declared_name(line,    paren, name) {
        paren = index(line, "(")
        if (paren > 0) return trailing_name(substr(line, 1, paren - 1))
        sub(/;.*/, "", line)
        sub(/[ \t]*=.*/, "", line)
        return trailing_name(line)
    }
    {
        line = $0
        sub(/\/\/.*/, "", line)
    }
    in_class && line ~ /^};/ { in_class = 0; next }
    in_class {
        if (line ~ /^[ \t]*public:/) { in_public = 1; next }
        if (line ~ /^[ \t]*(private|protected):/) { in_public = 0; next }
        if (!in_public || line ~ /= *delete/) next
        stripped = line
        sub(/^[ \t]+/, "", stripped)
        if (index(stripped, "(") > 0 || stripped ~ /^static[ \t]/) {
            name = declared_name(stripped)
            if (name != "") print "member", name
        }
        next
    }
    line ~ /^class[ \t]+SENSORDLL_API[ \t]+ISensorController([ \t]|$|\{)/ { in_class = 1; in_public = 0; next }
    line ~ /^SENSORDLL_API[ \t]/ {
        name = declared_name(line)
        if (name != "") print "free", name
    }
' "${headers[@]}" | sort -u > "$work/interface"

if ! grep -q '^member ' "$work/interface" || ! grep -q '^free ' "$work/interface"; then
    echo "check-exports: found no interface declarations in $include_dir" >&2
    exit 2
fi
if [[ $list_only -eq 1 ]]; then
    cat "$work/interface"
    exit 0
fi

# Exported symbols: type, mangled name, demangled name (tab separated).
"$nm_tool" -D --defined-only "$library" | awk 'NF >= 2 { print $(NF - 1) "\t" $NF }' > "$work/raw"
cut -f2 "$work/raw" | "$cxxfilt_tool" > "$work/demangled"
paste "$work/raw" "$work/demangled" > "$work/symbols"

# The linker's own symbols (the ARM ones included).
toolchain_symbols=" _init _fini __bss_start _edata _end __bss_start__ __bss_end__ _bss_end__ __end__ "

awk -F'\t' -v toolchain="$toolchain_symbols" -v interface_file="$work/interface" \
    -v found_file="$work/found" '
    BEGIN {
        while ((getline entry < interface_file) > 0) {
            split(entry, part, " ")
            allowed[part[1] SUBSEP part[2]] = 1
        }
    }
    {
        type = $1; mangled = $2; shown = $3
        if (index(toolchain, " " mangled " ") > 0) next
        kind = ""; name = ""
        if (substr(shown, 1, 19) == "ISensorController::") {
            kind = "member"
            name = substr(shown, 20)
        } else {
            kind = "free"
            name = shown
        }
        sub(/[([ ].*/, "", name)
        if ((kind SUBSEP name) in allowed) {
            print kind, name > found_file
            next
        }
        printf "  %s %s  (%s)\n", type, shown, mangled
        leaked++
    }
    END { exit leaked > 0 ? 1 : 0 }
' "$work/symbols" > "$work/leaked" && leak_status=0 || leak_status=$?
touch "$work/found"
sort -u "$work/found" -o "$work/found"

status=0
if [[ $leak_status -ne 0 ]]; then
    echo "check-exports: $library exports names outside its interface:"
    cat "$work/leaked"
    status=1
fi

comm -23 "$work/interface" "$work/found" > "$work/missing"
interface_count=$(wc -l < "$work/interface")
found_count=$(wc -l < "$work/found")
echo "check-exports: $found_count of $interface_count interface names exported by $(basename "$library")"
if [[ -s $work/missing ]]; then
    if [[ $require_complete -eq 1 ]]; then
        echo "check-exports: interface names the library does not export:"
        sed 's/^/  /' "$work/missing"
        status=1
    else
        echo "check-exports: not yet exported: $(awk '{ print $2 }' "$work/missing" | paste -sd' ')"
    fi
fi
exit $status
