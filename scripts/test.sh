#!/bin/sh
# Installs the dependencies, builds Marlune and runs every test: the whole
# suite, the engine's tests again under ThreadSanitizer, and the whole suite
# under AddressSanitizer with UndefinedBehaviorSanitizer.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
JOBS=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMARLUNE_WERROR=ON
cmake --build build
(cd build && ctest --output-on-failure -j "$JOBS")

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMARLUNE_WERROR=ON \
    -DMARLUNE_SANITIZE=thread -DMARLUNE_ENGINE_ONLY=ON -DMARLUNE_BUILD_BENCH=OFF
cmake --build build-tsan
(cd build-tsan && ctest --output-on-failure -j "$JOBS" -L '^(platform|engine|encoder)$')

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMARLUNE_WERROR=ON \
    -DMARLUNE_SANITIZE=address -DMARLUNE_BUILD_BENCH=OFF
cmake --build build-asan
(cd build-asan && ctest --output-on-failure -j "$JOBS")
