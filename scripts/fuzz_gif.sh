#!/usr/bin/env bash
# Fuzzes the GIF decoders with clang's libFuzzer and AddressSanitizer for a bounded time.
# Usage: scripts/fuzz_gif.sh [seconds]   (default 300; FUZZ_BUILD_DIR overrides build-fuzz/)
# Configures a separate clang build with -DLUMENFOLD_FUZZ=ON, builds the fuzz_gif target, seeds a
# corpus with small GIFs (written with Pillow when /usr/bin/python3 has it) and runs the target.
# Exits non-zero when the fuzzer finds a crash, leak, time-out or memory blow-up.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-300}
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
# The decoders keep their own pixel limits, so that a small input that costs much is a finding.
flags="-fsanitize=fuzzer-no-link,address -fno-omit-frame-pointer"
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLUMENFOLD_FUZZ=ON -DLUMENFOLD_TESTS=OFF -DLUMENFOLD_BENCH=OFF "-DCMAKE_CXX_FLAGS=$flags" >/dev/null
cmake --build "$build" --target fuzz_gif
corpus=$build/fuzz-gif-corpus
mkdir -p "$corpus"
if [ -z "$(ls -A "$corpus")" ] && /usr/bin/python3 -c "import PIL" 2>/dev/null; then
  /usr/bin/python3 - "$corpus" <<'PY'
import sys, os
from PIL import Image
out = sys.argv[1]
def save(name, im, **kw):
    im.save(os.path.join(out, name), "GIF", **kw)
p = Image.new("P", (7, 5)); p.putpalette([i % 256 for i in range(768)])
p.putdata([(x * 3) % 16 for x in range(35)])
save("plain.gif", p)
save("interlaced.gif", p, interlace=True)
save("transparent.gif", p, transparency=2, comment=b"seed")
frames = [p.copy() for _ in range(3)]
for i, f in enumerate(frames): f.putdata([(x + i) % 4 for x in range(35)])
save("animated.gif", frames[0], save_all=True, append_images=frames[1:], loop=0, duration=50)
m = Image.new("1", (9, 3)); m.putdata([x % 2 * 255 for x in range(27)])
save("mono.gif", m)
PY
fi
printf 'GIF89a\x01\x00\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;' > "$corpus/tiny.gif"
status=0
ASAN_OPTIONS=detect_leaks=1 "$build/bin/fuzz_gif" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 \
  -timeout=20 -artifact_prefix="$build/fuzz-gif-" -print_final_stats=1 "$corpus" || status=$?
if [ "$status" -eq 0 ]; then echo "fuzz_gif: no finding in $seconds s"; else echo "fuzz_gif: finding (exit $status), see $build/fuzz-gif-*"; fi
exit "$status"
