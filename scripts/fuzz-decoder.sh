#!/bin/sh
# Fuzzes the WMA decoder component (Open, the details and ReadSamples) with
# libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer.
#
#   sh scripts/fuzz-decoder.sh [SECONDS]     (default 60)
#
# Builds with clang in build-wma-fuzz/ (or $MARLUNE_FUZZ_BUILD), makes a seed
# corpus of small WMA files with ffmpeg on the first run, and keeps the
# corpus it grows between runs. Inputs that crash land in <build>/fuzz-crashes/.
set -eu
cd "$(dirname "$0")/.."
RUN_SECONDS=${1:-60}
BUILD=${MARLUNE_FUZZ_BUILD:-build-wma-fuzz}

CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMARLUNE_FUZZ=ON -DMARLUNE_BUILD_TESTS=OFF -DMARLUNE_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD" --target WMAFile2Fuzzer -j2

SEEDS="$BUILD/fuzz-seeds"
CORPUS="$BUILD/fuzz-corpus"
CRASHES="$BUILD/fuzz-crashes"
mkdir -p "$CORPUS" "$CRASHES"
if [ ! -d "$SEEDS" ]; then
    mkdir -p "$SEEDS.tmp"
    make_seed() { # name, then ffmpeg output arguments
        name=$1
        shift
        ffmpeg -nostdin -hide_banner -v error -y "$@" "$SEEDS.tmp/$name"
    }
    tone="aevalsrc=exprs=0.5*sin(2*PI*1000*t)|0.3*sin(2*PI*440*t)+0.05*random(0)"
    for codec in wmav1 wmav2; do
        for rate in 8000 22050 44100; do
            make_seed "$codec-$rate-stereo.wma" -f lavfi -i "$tone:s=$rate:d=0.4" \
                -c:a "$codec" -b:a 32k -f asf
            make_seed "$codec-$rate-mono.wma" -f lavfi -i "$tone:s=$rate:d=0.4" -ac 1 \
                -c:a "$codec" -b:a 32k -f asf
        done
    done
    make_seed mp3-in-asf.wma -f lavfi -i "sine=d=0.3" -c:a libmp3lame -b:a 32k -f asf
    make_seed video-only.asf -f lavfi -i "testsrc=d=0.3:s=32x24:r=5" -c:v wmv2 -f asf
    mv "$SEEDS.tmp" "$SEEDS"
fi

ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
"$BUILD/bin/WMAFile2Fuzzer" -max_total_time="$RUN_SECONDS" -max_len=65536 -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$CRASHES/" "$CORPUS" "$SEEDS"
