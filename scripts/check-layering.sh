#!/usr/bin/env bash
# Fails when an include goes the wrong way between the source folders. Each folder may
# include its own headers and those of the folders below it:
#   model < files < widgets < printing < dialogs < mainwindow < app
# cli/ may include model/ and files/ only. model/ includes no Qt or QCustomPlot header;
# files/ and cli/ include nothing of QtWidgets, QtPrintSupport or QCustomPlot, and files/
# nothing of QtGui either (cli/ draws its map images with QtGui, offscreen).
# Inside model/ the same holds between its folders, in this order (its own top-level
# headers below them all):
#   text < fft < acoustics < layout
# Tests and benchmarks are not checked.
# Usage: check-layering.sh SOURCE_ROOT QT_INCLUDE_ROOT
set -uo pipefail

root=${1:?source root}
qt=${2:?Qt include root}
layers=(model files widgets printing dialogs mainwindow app)
modelLayers=("" text fft acoustics layout)
failures=0

rank() {
    local i
    for i in "${!layers[@]}"; do
        [[ ${layers[$i]} == "$1" ]] && { echo "$i"; return; }
    done
    echo -1
}

# The rank of the model folder holding `path` (model/X/... or model/...), or -1.
modelRank() {
    local path=${1#model/} sub= i
    [[ $path == */* ]] && sub=${path%%/*}
    for i in "${!modelLayers[@]}"; do
        [[ ${modelLayers[$i]} == "$sub" ]] && { echo "$i"; return; }
    done
    echo -1
}

# The Qt module directory holding `header`, or nothing for a header that is not Qt's.
qtModule() {
    local header=$1 module
    if [[ $header == Qt*/* ]]; then
        echo "${header%%/*}"
        return
    fi
    for module in "$qt"/Qt*/; do
        [[ -e $module$header ]] && { basename "$module"; return; }
    done
}

complain() {
    echo "$1: $2"
    failures=$((failures + 1))
}

checked=0
for folder in "${layers[@]}" cli; do
    [[ -d $root/$folder ]] || continue
    own=$(rank "$folder")
    while IFS= read -r file; do
        checked=$((checked + 1))
        where=${file#"$root"/}
        while IFS= read -r line; do
            [[ $line =~ include[[:space:]]*[\<\"]([^\>\"]*) ]] || continue
            header=${BASH_REMATCH[1]}
            top=${header%%/*}
            if [[ $header == */* && -d $root/$top && -e $root/$header ]]; then
                # A project header: only from the own folder or one below.
                target=$(rank "$top")
                if [[ $folder == cli ]]; then
                    [[ $top == cli || $top == model || $top == files ]] ||
                        complain "$where" "cli/ includes $header"
                elif [[ $top == cli || $target -gt $own ]]; then
                    complain "$where" "$folder/ includes $header from a folder above it"
                elif [[ $folder == model && $top == model ]]; then
                    fromRank=$(modelRank "$where")
                    toRank=$(modelRank "$header")
                    if ((fromRank < 0 || toRank < 0)); then
                        complain "$where" "includes $header across a model folder outside model's order"
                    elif ((toRank > fromRank)); then
                        complain "$where" "includes $header from a model folder above its own"
                    fi
                fi
                continue
            fi
            module=
            [[ $header == Q* || $header == q* ]] && module=$(qtModule "$header")
            qcp=no
            [[ $header == qcustomplot.h ]] && qcp=yes
            if [[ $folder == model && ( -n $module || $qcp == yes ) ]]; then
                complain "$where" "model/ includes the Qt header $header"
            elif [[ ($folder == files || $folder == cli) &&
                    ($module == QtWidgets || $module == QtPrintSupport || $qcp == yes) ]] ||
                [[ $folder == files && $module == QtGui ]]; then
                complain "$where" "$folder/ includes $header of ${module:-QCustomPlot}"
            fi
        done < <(grep -E '^[[:space:]]*#[[:space:]]*include' "$file")
    done < <(find "$root/$folder" -type f \( -name '*.h' -o -name '*.cpp' \))
done

if ((checked == 0)); then
    echo "no sources found under $root"
    exit 1
fi
if ((failures > 0)); then
    echo "$failures include(s) against the layering"
    exit 1
fi
echo "$checked files follow the layering"
