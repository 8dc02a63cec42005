#!/usr/bin/env bash
# scripts/fuzz.sh NAME SECONDS: builds the libFuzzer programs with clang in
# build-fuzz and runs fuzz_NAME for SECONDS seconds, starting from the seed
# corpus fuzz/corpus/NAME. Inputs it finds go to build-fuzz/corpus/NAME,
# crashing inputs to build-fuzz/crashes/NAME/.
set -euo pipefail
cd "$(dirname "$0")/.."
name=${1:?usage: scripts/fuzz.sh NAME SECONDS}
seconds=${2:?usage: scripts/fuzz.sh NAME SECONDS}

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMORA_FUZZ=ON -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" >/dev/null
cmake --build build-fuzz --target "fuzz_$name"

work=build-fuzz/corpus/$name
crashes=build-fuzz/crashes/$name
mkdir -p "$work" "$crashes"
# The catalogue fuzzer also starts from the real Info.plist files, when present.
if [ "$name" = catalogue ] && [ -d ../shared/corpus/real ]; then
    python3 fuzz/make_catalogue_seeds.py "$work" examples ../shared/corpus/real
fi
options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536
         -artifact_prefix="$crashes/" -print_final_stats=1)
[ -f "fuzz/$name.dict" ] && options+=(-dict="fuzz/$name.dict")
exec "build-fuzz/fuzz/fuzz_$name" "${options[@]}" "$work" "fuzz/corpus/$name"
