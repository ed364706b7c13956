#!/bin/sh
# Times marlune-convert on one thread (-j 1) and on every core (the default)
# against the lame tool alone and a single ffmpeg process, at its default
# quality and at LAME's quality 9 (-compression_level 9, the quality
# Marlune uses), on a 10-minute 44.1 kHz stereo WMA 2 file (a tone on each
# channel plus noise). The commands run in turn, RUNS rounds (default 5),
# so a change in the machine's load touches them alike; it reports the
# median wall and CPU time (user + system) of each, the ratios, and the peak
# resident memory of marlune-convert. With MANY_FILES=1 it also converts 100
# files of 3 minutes in one call of each tool (MANY_RUNS rounds, default 3).
#
# usage: bench/convert-bench.sh [BUILD_DIR] (default: build)
set -eu

BUILD=${1:-build}
RUNS=${RUNS:-5}
MANY_FILES=${MANY_FILES:-0}
MANY_RUNS=${MANY_RUNS:-3}
SECONDS_OF_AUDIO=600
CONVERT=$(cd "$BUILD" && pwd)/bin/marlune-convert
[ -x "$CONVERT" ] || { echo "no $CONVERT: build the marlune-convert target first" >&2; exit 1; }
for tool in ffmpeg lame /usr/bin/time python3 nproc; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/marlune-bench-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
# marlune-convert reads the user's settings: give it an empty home.
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config"
mkdir -p "$HOME" "$WORK/out"

make_fixture() { # seconds output
    ffmpeg -v error -y -f lavfi \
        -i "aevalsrc=exprs='0.4*sin(2*PI*1000*t)+0.05*(2*random(0)-1)|0.4*sin(2*PI*440*t)+0.05*(2*random(1)-1)':s=44100:d=$1" \
        -c:a wmav2 -b:a 128k "$2"
}

echo "Making the fixture ($SECONDS_OF_AUDIO s, 44100 Hz stereo, WMA 2 at 128 kbps) on $(nproc) cores..."
make_fixture "$SECONDS_OF_AUDIO" "$WORK/fixture.wma"
# The same audio decoded, for lame alone.
ffmpeg -v error -y -i "$WORK/fixture.wma" -c:a pcm_s16le "$WORK/fixture.wav"

FILTER="-af lowpass=f=7000,highpass=f=100 -c:a libmp3lame -b:a 128k"
cat > "$WORK/commands.txt" <<COMMANDS
marlune -j 1	$CONVERT -q -j 1 -b 128 -o $WORK/out $WORK/fixture.wma
marlune	$CONVERT -q -b 128 -o $WORK/out $WORK/fixture.wma
lame -q 9	lame --quiet -q 9 -b 128 --cbr --nores $WORK/fixture.wav $WORK/out/lame.mp3
ffmpeg q9	ffmpeg -v error -y -i $WORK/fixture.wma $FILTER -compression_level 9 $WORK/out/ffmpeg.mp3
ffmpeg	ffmpeg -v error -y -i $WORK/fixture.wma $FILTER $WORK/out/ffmpeg.mp3
COMMANDS

# Runs each command of the list in turn, RUNS rounds, emptying the output
# folder before each; prints medians and ratios.
time_commands() { # commands-file rounds out-folder audio-seconds warm-up-round(1|0)
python3 - "$@" <<'PY'
import os, resource, shutil, statistics, subprocess, sys, time
commands = [line.rstrip("\n").split("\t") for line in open(sys.argv[1]) if line.strip()]
rounds, out, audio, warm_up = int(sys.argv[2]), sys.argv[3], float(sys.argv[4]), sys.argv[5] == "1"
wall = {name: [] for name, _ in commands}
cpu = {name: [] for name, _ in commands}
def run(command):
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run(command, shell=True, check=True)
    elapsed = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return elapsed, (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
for name, command in commands if warm_up else []:
    run(command)
for _ in range(rounds):
    for name, command in commands:
        w, c = run(command)
        wall[name].append(w)
        cpu[name].append(c)
print(f"\n{'':14}{'wall s':>9}{'CPU s':>9}{'x real time':>13}")
m = {}
for name, _ in commands:
    m[name] = (statistics.median(wall[name]), statistics.median(cpu[name]))
    print(f"{name:14}{m[name][0]:9.3f}{m[name][1]:9.3f}{audio / m[name][0]:13.1f}")
print()
one, own, lame = m["marlune -j 1"], m["marlune"], m["lame -q 9"]
print(f"marlune wall / marlune -j 1 wall: {own[0] / one[0]:.3f}  (target <= 0.80)")
print(f"marlune CPU / marlune -j 1 CPU:   {own[1] / one[1]:.3f}  (target <= 1.10)")
print(f"lame -q 9 wall / marlune wall:    {lame[0] / own[0]:.3f}  (target >= 1.9)")
print(f"marlune -j 1 wall / lame wall:    {one[0] / lame[0]:.3f}")
print(f"ffmpeg q9 wall / marlune wall:    {m['ffmpeg q9'][0] / own[0]:.3f}")
print(f"ffmpeg wall / marlune wall:       {m['ffmpeg'][0] / own[0]:.3f}")
PY
}

echo "Load before the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
time_commands "$WORK/commands.txt" "$RUNS" "$WORK/out" "$SECONDS_OF_AUDIO" 1
echo "Load after the runs:  $(cut -d' ' -f1-3 /proc/loadavg)"

rm -rf "$WORK/out" && mkdir -p "$WORK/out"
/usr/bin/time -v "$CONVERT" -q -b 128 -o "$WORK/out" "$WORK/fixture.wma" 2> "$WORK/time.txt"
RSS_KB=$(sed -n 's/.*Maximum resident set size (kbytes): *//p' "$WORK/time.txt")
echo "marlune peak RSS: $((RSS_KB / 1024)) MiB  (target < 64 MiB)"

[ "$MANY_FILES" = 1 ] || exit 0
echo
echo "Making 100 files of 3 minutes..."
mkdir -p "$WORK/many"
make_fixture 180 "$WORK/many/song000.wma"
ffmpeg -v error -y -i "$WORK/many/song000.wma" -c:a pcm_s16le "$WORK/many/song000.wav"
for i in $(seq 1 99); do
    n=$(printf %03d "$i")
    cp "$WORK/many/song000.wma" "$WORK/many/song$n.wma"
    cp "$WORK/many/song000.wav" "$WORK/many/song$n.wav"
done
cat > "$WORK/many.txt" <<COMMANDS
marlune -j 1	$CONVERT -q -j 1 -b 128 -o $WORK/out $WORK/many/*.wma
marlune	$CONVERT -q -b 128 -o $WORK/out $WORK/many/*.wma
lame -q 9	for f in $WORK/many/*.wav; do lame --quiet -q 9 -b 128 --cbr --nores \$f $WORK/out/\$(basename \$f .wav).mp3; done
ffmpeg q9	for f in $WORK/many/*.wma; do ffmpeg -v error -y -i \$f $FILTER -compression_level 9 $WORK/out/\$(basename \$f .wma).mp3; done
ffmpeg	for f in $WORK/many/*.wma; do ffmpeg -v error -y -i \$f $FILTER $WORK/out/\$(basename \$f .wma).mp3; done
COMMANDS
# Long enough to need no warm-up round.
time_commands "$WORK/many.txt" "$MANY_RUNS" "$WORK/out" 18000 0
