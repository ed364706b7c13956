#!/bin/sh
# Installs the dependencies, builds Marlune and starts it.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
# The same configuration as scripts/test.sh, so either reuses the other's
# build; only the application and its encoder module are built here.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMARLUNE_WERROR=ON
cmake --build build --target marlune lame_enc
exec build/bin/marlune
