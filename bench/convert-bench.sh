#!/bin/sh
# Times marlune-convert against the lame tool alone and a single ffmpeg
# process on a 10-minute 44.1 kHz stereo WMA 2 file (a tone on each channel
# plus noise), each run RUNS times (default 5) with hyperfine, and reports
# the medians as times real time, the two ratios and the peak resident
# memory of marlune-convert.
#
# usage: bench/convert-bench.sh [BUILD_DIR] (default: build)
set -eu

BUILD=${1:-build}
RUNS=${RUNS:-5}
SECONDS_OF_AUDIO=600
CONVERT=$(cd "$BUILD" && pwd)/bin/marlune-convert
[ -x "$CONVERT" ] || { echo "no $CONVERT: build the marlune-convert target first" >&2; exit 1; }
for tool in hyperfine ffmpeg lame /usr/bin/time python3; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/marlune-bench-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
# marlune-convert reads the user's settings: give it an empty home.
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config"
mkdir -p "$HOME" "$WORK/out"

echo "Making the fixture ($SECONDS_OF_AUDIO s, 44100 Hz stereo, WMA 2 at 128 kbps)..."
ffmpeg -v error -y -f lavfi \
    -i "aevalsrc=exprs='0.4*sin(2*PI*1000*t)+0.05*(2*random(0)-1)|0.4*sin(2*PI*440*t)+0.05*(2*random(1)-1)':s=44100:d=$SECONDS_OF_AUDIO" \
    -c:a wmav2 -b:a 128k "$WORK/fixture.wma"
# The same audio decoded, for lame alone.
ffmpeg -v error -y -i "$WORK/fixture.wma" -c:a pcm_s16le "$WORK/fixture.wav"

CLEAN="rm -rf $WORK/out && mkdir -p $WORK/out"
hyperfine --style basic --runs "$RUNS" --warmup 1 --prepare "$CLEAN" \
    --export-json "$WORK/times.json" \
    -n marlune-convert "$CONVERT -q -b 128 -o $WORK/out $WORK/fixture.wma" \
    -n lame "lame --quiet -q 9 -b 128 --cbr --nores $WORK/fixture.wav $WORK/out/lame.mp3" \
    -n ffmpeg "ffmpeg -v error -y -i $WORK/fixture.wma -af lowpass=f=7000,highpass=f=100 -c:a libmp3lame -b:a 128k $WORK/out/ffmpeg.mp3"

eval "$CLEAN"
/usr/bin/time -v "$CONVERT" -q -b 128 -o "$WORK/out" "$WORK/fixture.wma" 2> "$WORK/time.txt"
RSS_KB=$(sed -n 's/.*Maximum resident set size (kbytes): *//p' "$WORK/time.txt")

python3 - "$WORK/times.json" "$SECONDS_OF_AUDIO" "$RSS_KB" <<'PY'
import json, statistics, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
audio = float(sys.argv[2])
rss_mib = int(sys.argv[3]) / 1024
median = {name: statistics.median(r["times"]) for name, r in results.items()}
print()
print(f"{'':16}{'median s':>10}{'x real time':>13}")
for name in ("marlune-convert", "lame", "ffmpeg"):
    print(f"{name:16}{median[name]:10.3f}{audio / median[name]:13.1f}")
print()
own, lame, ff = median["marlune-convert"], median["lame"], median["ffmpeg"]
print(f"marlune-convert / lame alone:   {own / lame:.3f}  (target <= 1.10)")
print(f"ffmpeg / marlune-convert:       {ff / own:.3f}  (target >= 1.40)")
print(f"marlune-convert peak RSS:       {rss_mib:.1f} MiB  (target < 64 MiB)")
PY
