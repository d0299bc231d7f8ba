#!/usr/bin/env bash
# Small hostile image files through every read path users' files take (thumbnail grid, build
# thumbnail, conversion of a dropped file, open-dialog preview), each read in a child process:
# prints per file and path the result, the read's wall time and the child's peak memory, and the
# verdict against the bound: refused within 0.1 s, or loaded within 2 s with a peak memory of at
# most twice the decoded image plus 64 MB (see bench/bombs_bench.cpp). Exits non-zero when a read
# misses the bound.
# The files: the bomb set written by the generators under tests/imaging/ (a generator that is not
# there is left out with a note), the largest few inputs of each fuzz corpus and every fuzz finding
# kept beside them (build-fuzz-formats/ and build-fuzz/, when present), and any files or
# directories given as arguments.
# Usage: BUILD_DIR=build bench/bombs.sh [file|directory ...]
#   BOMBS_CORPUS_FILES  inputs taken from each corpus (default 5, the largest)
#   BOMBS_TIMEOUT       seconds after which a read is ended and counted as missed (default 60)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
fuzz_formats=${FUZZ_FORMATS_BUILD_DIR:-$root/build-fuzz-formats}
fuzz_gif=${FUZZ_BUILD_DIR:-$root/build-fuzz}
per_corpus=${BOMBS_CORPUS_FILES:-5}
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target bench_bombs >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bombs" "$work/fuzz"

for generator in make_bomb_samples.py bomb_samples_readers.py bomb_samples_metafiles.py; do
  if [ ! -f "$root/tests/imaging/$generator" ]; then
    echo "note: tests/imaging/$generator is not there; its bombs are left out" >&2
  elif ! /usr/bin/python3 "$root/tests/imaging/$generator" "$work/bombs" >/dev/null; then
    echo "warning: tests/imaging/$generator failed; the bombs it wrote are measured" >&2
  fi
done

# The extension a fuzz target's inputs are read under; the pipeline's inputs carry theirs in the
# first byte (the order of fuzz/thumbnail_pipeline_fuzzer.cpp) ahead of 4 bytes of choices.
extension_of() {
  case $1 in
    jpeg) echo jpg ;; tiff) echo tif ;; pnm) echo ppm ;; gif_decoder | gif) echo gif ;; *) echo "$1" ;;
  esac
}
pipeline_extensions=(jpg jpeg gif bmp dib rle png pcx tga tif ppm pgm pbm ico wmf emf)
take() {  # target input
  local target=$1 input=$2 name
  name=$target-$(basename "$input" | tail -c 13)
  if [ "$target" = thumbnail_pipeline ]; then
    [ "$(stat -c %s "$input")" -ge 4 ] || return 0
    local first
    first=$(od -An -tu1 -N1 "$input" | tr -d ' ')
    tail -c +5 "$input" >"$work/fuzz/$name.${pipeline_extensions[first % ${#pipeline_extensions[@]}]}"
  else
    cp "$input" "$work/fuzz/$name.$(extension_of "$target")"
  fi
}
largest() { find "$1" -maxdepth 1 -type f -printf '%s %p\n' | sort -rn | head -n "$per_corpus" | cut -d' ' -f2-; }
if [ -d "$fuzz_formats" ]; then
  for corpus in "$fuzz_formats"/corpus-*/; do
    [ -d "$corpus" ] || continue
    target=$(basename "$corpus")
    target=${target#corpus-}
    while IFS= read -r input; do take "$target" "$input"; done < <(largest "$corpus")
  done
  for finding in "$fuzz_formats"/fuzz-*-{crash,timeout,oom,leak,slow-unit}-*; do
    [ -f "$finding" ] || continue
    target=$(basename "$finding")
    target=${target#fuzz-}
    target=${target%%-*}
    take "$target" "$finding"
  done
fi
if [ -d "$fuzz_gif/fuzz-gif-corpus" ]; then
  while IFS= read -r input; do take gif "$input"; done < <(largest "$fuzz_gif/fuzz-gif-corpus")
  for finding in "$fuzz_gif"/fuzz-gif-*; do
    [ -f "$finding" ] && take gif "$finding"
  done
fi

files=()
while IFS= read -r -d '' f; do files+=("$f"); done < <(find "$work/bombs" "$work/fuzz" "$@" -type f -print0 | sort -z)
if [ ${#files[@]} -eq 0 ]; then
  echo "no files to read" >&2
  exit 1
fi
"$build/bench/bench_bombs" "${files[@]}"
