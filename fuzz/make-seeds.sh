#!/bin/sh
# Builds the seed corpora of the fuzz targets in <out>/<target>/: the
# hand-written seeds of fuzz/corpus/ and seeds made from the bundled device
# documents (devices/): each base style with its diversity document and the
# detail text of a device that uses it, the styles alone, and the detail texts.
set -eu
out=${1:?usage: make-seeds.sh <output directory>}
here=$(cd "$(dirname "$0")" && pwd)
devices="$here/../devices"
style="$devices/common/hd1/moduleConfig/sensorConfig/style"
diversity="$devices/common/hd1/moduleConfig/sensorConfig/styleDiversity"

for dir in "$here"/corpus/*/; do
    target=$(basename "$dir")
    mkdir -p "$out/$target"
    cp "$dir"* "$out/$target/"
done

detail_of() {
    sed -n 's:.*<detail>\(.*\)</detail>.*:\1:p' "$devices/$1/root/hd1/moduleConfig/moduleConfig.xml" | sed -n "${2}p"
}

merge_seed() {
    { cat "$style/$2"; printf '\000'; cat "$diversity/$3"; printf '\000'; printf '%s' "$4"; } > "$out/merge_style/$1"
}
merge_seed bundled-ir-bullet Style.xml StyleDiversity.xml "$(detail_of ir-bullet 1)"
merge_seed bundled-dome Style_dome.xml StyleDiversity_dome.xml "$(detail_of dome 1)"
merge_seed bundled-thermal-visible Style.xml StyleDiversity.xml "$(detail_of thermal-dual 1)"
merge_seed bundled-thermal Style_Thermal.xml StyleDiversity_Thermal.xml "$(detail_of thermal-dual 2)"

for file in Style.xml Style_dome.xml Style_Thermal.xml; do
    cp "$style/$file" "$out/dna_style/bundled-$file"
done

n=0
for device in ir-bullet dome thermal-dual; do
    for line in 1 2; do
        detail=$(detail_of "$device" "$line")
        [ -n "$detail" ] || continue
        for name in max_scheme isInfrared lensId iris wdr; do
            n=$((n + 1))
            { printf '\012%s\000' "$name"; printf '%s' "$detail"; } > "$out/detail_fields/bundled-$n"
        done
    done
done
