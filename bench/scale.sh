#!/usr/bin/env bash
# Costs that must grow linearly with the work: each case is run for a tenth of the work and for
# the whole, and the two figures are printed side by side with their ratio (10 is linear).
#   Lumenfold start, main window shown, with 1,000 / 3,000 / 10,000 sites  (target: 10,000 within 1 s)
#   Spindleway /ROTATE over the same kind of site lists, sites without rotations, its fixed start-up
#     (300 ms timer) taken off                                             (target: 10,000 within 2 s)
#   site editor opened and closed on a site with 50 / 200 / 1,000 rotations (target: 0.3 s each)
#   build with descriptions, 500 and 5,000 images: cost per image          (target: within 10%)
#   dropping 1,000 images of 100 KB on the site editor, until on disk, against cp + sync
#                                                                          (target: at most 1.5x)
# Data is generated into a temporary directory (or $SCALE_DIR, kept for later runs).
# Usage: bench/scale.sh [case ...]    cases: start spindleway editor build drop (default: all)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DLUMENFOLD_BENCH=ON >/dev/null
cmake --build "$build" --target bench_scale Spindleway >/dev/null
bench=$build/bench/bench_scale
if [ -n "${SCALE_DIR:-}" ]; then work=$SCALE_DIR; mkdir -p "$work"; else
    work=$(mktemp -d); trap 'rm -rf "$work"' EXIT; fi
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work}
cases=${*:-start spindleway editor build drop}

quiet() { "$@" 2> >(grep -v -e propagateSizeHints -e XDG_RUNTIME_DIR -e 'runtime directory' >&2); }
figure() { quiet "$bench" "$@" | awk '{print $1}'; }
now() { date +%s%N; }
row() {  # label, tenth, whole, unit, target note
    awk -v l="$1" -v a="$2" -v b="$3" -v u="$4" -v t="$5" \
        'BEGIN { printf "  %-44s %10.1f %10.1f %-9s x%-6.1f %s\n", l, a, b, u, (a > 0 ? b / a : 0), t }'
}
header() { printf '\n%s\n  %-44s %10s %10s %-9s %-7s %s\n' "$1" "" "tenth" "whole" "unit" "ratio" "target"; }

if [[ " $cases " == *" start "* ]]; then
    header "Lumenfold start: main window shown"
    for n in 1000 3000 10000; do
        t=$(figure start "$work/start$((n / 10))" $((n / 10))); w=$(figure start "$work/start$n" $n)
        row "$n sites" "$t" "$w" ms "$([ $n -eq 10000 ] && echo '<= 1000 ms')"
    done
fi

if [[ " $cases " == *" spindleway "* ]]; then
    # The program runs from a copy beside its data; its run over no sites is its fixed start-up.
    spindleway() {  # directory -> best of 3 whole runs in ms
        cp "$build/bin/Spindleway" "$1/"
        local best=""
        for _ in 1 2 3; do
            local s; s=$(now)
            (unset DISPLAY WAYLAND_DISPLAY; "$1/Spindleway" /ROTATE) >/dev/null 2>&1 || true
            local d=$(( ($(now) - s) / 1000 ))
            if [ -z "$best" ] || [ $d -lt $best ]; then best=$d; fi
        done
        awk -v us="$best" 'BEGIN { printf "%.1f", us / 1000 }'
    }
    mkdir -p "$work/spin0"; printf '[Options]\r\nLogging=False\r\n' >"$work/spin0/options.ini"
    empty=$(spindleway "$work/spin0")
    header "Spindleway /ROTATE over sites without rotations (fixed start-up of $empty ms taken off)"
    for n in 1000 3000 10000; do
        quiet "$bench" sites "$work/spin$((n / 10))" $((n / 10)); quiet "$bench" sites "$work/spin$n" $n
        t=$(spindleway "$work/spin$((n / 10))"); w=$(spindleway "$work/spin$n")
        row "$n sites" "$(awk -v a="$t" -v e="$empty" 'BEGIN{print a-e}')" \
            "$(awk -v a="$w" -v e="$empty" 'BEGIN{print a-e}')" ms "$([ $n -eq 10000 ] && echo '<= 2000 ms')"
    done
fi

if [[ " $cases " == *" editor "* ]]; then
    header "Site editor on a site with many rotations"
    for n in 50 200 1000; do
        read -r to tc _ < <(quiet "$bench" editor "$work/editor$((n / 10))" $((n / 10)))
        read -r wo wc _ < <(quiet "$bench" editor "$work/editor$n" $n)
        row "$n rotations: open" "$to" "$wo" ms "$([ $n -eq 1000 ] && echo '<= 300 ms')"
        row "$n rotations: close" "$tc" "$wc" ms "$([ $n -eq 1000 ] && echo '<= 300 ms')"
    done
fi

if [[ " $cases " == *" build "* ]]; then
    header "Build with descriptions: cost per image"
    t=$(figure build "$work/build500" 500 "$root/data/Styles")
    w=$(SCALE_RUNS=1 figure build "$work/build5000" 5000 "$root/data/Styles")
    row "500 vs 5,000 images" "$t" "$w" ms/image "per image within 10%"
fi

if [[ " $cases " == *" drop "* ]]; then
    header "Dropping 100 KB images on the site editor, until on disk"
    for n in 1000; do
        t=$(figure drop "$work/drop$((n / 10))" $((n / 10))); w=$(figure drop "$work/drop$n" $n)
        row "$n images dropped" "$t" "$w" ms ""
        cpsync() {  # sources -> best of 3 cp + sync in ms, each into a new directory as the drop does
            local best="" run
            for run in 1 2 3; do
                mkdir -p "$1/../cp$run"; sync
                local s; s=$(now); cp "$1"/* "$1/../cp$run/"; sync; local d=$(( ($(now) - s) / 1000 ))
                if [ -z "$best" ] || [ $d -lt $best ]; then best=$d; fi
            done
            rm -rf "$1"/../cp[123]
            awk -v us="$best" 'BEGIN { printf "%.1f", us / 1000 }'
        }
        ct=$(cpsync "$work/drop$((n / 10))/sources"); cw=$(cpsync "$work/drop$n/sources")
        row "$n images: cp + sync" "$ct" "$cw" ms ""
        awk -v d="$w" -v c="$cw" 'BEGIN { printf "  drop / (cp + sync) for %d images = %.2f  (target <= 1.5)\n", '"$n"', d / c }'
    done
fi
