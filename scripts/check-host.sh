#!/usr/bin/env bash
# What libsensordll needs from the host process that loads it.
#
#   check-host.sh [--nm NM] [--cxxfilt CXXFILT] [--contract FILE]
#                 [--sensordll LIBRARY] LIBRARY...
#
# The LIBRARY named libsensordll.so* is the one checked (or the one that
# --sensordll names); every other LIBRARY is a library of the host process:
# the camera's host framework, its ISP library, TinyXML, the C and C++
# runtime. The script lists each strong undefined symbol of libsensordll that
# none of those libraries defines. Weak ones are left out: the library runs
# without them.
# With --contract FILE (cmake/host-contract.txt) it also lists each strong
# undefined symbol outside the host contract written there; then host
# libraries are optional.
# Exit status: 0 when nothing is listed, 1 when something is, 2 on a usage
# error.
set -euo pipefail

nm_tool=nm
cxxfilt_tool=c++filt
contract=""
sensordll=""
hosts=()
usage="usage: check-host.sh [--nm NM] [--cxxfilt CXXFILT] [--contract FILE] [--sensordll LIBRARY] LIBRARY..."
while [[ $# -gt 0 ]]; do
    case "$1" in
        --nm) nm_tool=$2; shift 2 ;;
        --cxxfilt) cxxfilt_tool=$2; shift 2 ;;
        --contract) contract=$2; shift 2 ;;
        --sensordll) sensordll=$2; shift 2 ;;
        --) shift; break ;;
        -*) echo "check-host: unknown option $1" >&2; echo "$usage" >&2; exit 2 ;;
        *) break ;;
    esac
done
for library in "$@"; do
    if [[ -z $sensordll && $(basename "$library") == libsensordll.so* ]]; then
        sensordll=$library
    else
        hosts+=("$library")
    fi
done
if [[ -z $sensordll || (-z $contract && ${#hosts[@]} -eq 0) ]]; then
    echo "$usage" >&2
    exit 2
fi
for library in "$sensordll" "${hosts[@]}"; do
    if [[ ! -f $library ]]; then
        echo "check-host: no library $library" >&2
        exit 2
    fi
done
if [[ -n $contract && ! -f $contract ]]; then
    echo "check-host: no contract file $contract" >&2
    exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# What the library needs: mangled name, version tag ("-" for none), demangled
# name and the name the contract speaks of (no parameters, no ABI tag, class
# data as CLASS::vtable and CLASS::typeinfo), tab separated.
"$nm_tool" -D --undefined-only "$sensordll" | awk '$(NF - 1) == "U" { print $NF }' | sort -u > "$work/raw"
if [[ ! -s $work/raw ]]; then
    echo "check-host: $sensordll needs no symbol at all; is it a shared library?" >&2
    exit 2
fi
sed 's/@.*//' "$work/raw" > "$work/mangled"
awk '{ at = index($0, "@"); print (at > 0 ? substr($0, at + 1) : "-") }' "$work/raw" | sed 's/^@//' > "$work/versions"
"$cxxfilt_tool" < "$work/mangled" > "$work/demangled"
awk '
    {
        name = $0
        if (match(name, /^(construction vtable|vtable|typeinfo name|typeinfo|VTT) for /)) {
            kind = substr(name, 1, RLENGTH - 5)
            name = substr(name, RLENGTH + 1) "::" kind
        }
        gsub(/\[abi:[^]]*\]/, "", name)
        paren = index(name, "(")
        if (paren > 1) name = substr(name, 1, paren - 1)
        print name
    }
' "$work/demangled" > "$work/names"
paste "$work/mangled" "$work/versions" "$work/demangled" "$work/names" > "$work/needs"

status=0
shown_library=$(basename "$sensordll")

if [[ -n $contract ]]; then
    patterns=()
    while read -r header pattern; do
        [[ -z $header || $header == \#* ]] && continue
        patterns+=("$pattern")
    done < "$contract"
    : > "$work/outside"
    while IFS=$'\t' read -r mangled version shown name; do
        allowed=0
        # The contract's lines are glob patterns: the right-hand sides stay unquoted.
        # shellcheck disable=SC2053
        for pattern in "${patterns[@]}"; do
            if [[ $pattern == @* ]]; then
                if [[ @$version == $pattern ]]; then allowed=1; break; fi
            elif [[ $name == $pattern ]]; then
                allowed=1
                break
            fi
        done
        [[ $allowed -eq 1 ]] || printf '  %s  (%s)\n' "$shown" "$mangled" >> "$work/outside"
    done < "$work/needs"
    if [[ -s $work/outside ]]; then
        echo "check-host: $shown_library needs $(wc -l < "$work/outside") symbol(s) outside the host contract ($contract):"
        cat "$work/outside"
        status=1
    else
        echo "check-host: $shown_library needs $(wc -l < "$work/needs") symbols, all of them in the host contract"
    fi
fi

if [[ ${#hosts[@]} -gt 0 ]]; then
    for library in "${hosts[@]}"; do
        "$nm_tool" -D --defined-only "$library" | awk 'NF >= 3 { print $NF }'
    done | sed 's/@.*//' | sort -u > "$work/defined"
    awk -F'\t' 'NR == FNR { defined[$0] = 1; next } !($1 in defined) { printf "  %s  (%s)\n", $3, $1 }' \
        "$work/defined" "$work/needs" > "$work/missing"
    if [[ -s $work/missing ]]; then
        echo "check-host: $shown_library needs $(wc -l < "$work/missing") symbol(s) that none of these libraries defines:" \
            "$(for library in "${hosts[@]}"; do basename "$library"; done | paste -sd' ')"
        cat "$work/missing"
        status=1
    else
        echo "check-host: the ${#hosts[@]} libraries define all $(wc -l < "$work/needs") symbols $shown_library needs"
    fi
fi
exit $status
