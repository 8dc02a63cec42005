#!/usr/bin/env bash
# scripts/fuzz.sh NAME SECONDS: builds the libFuzzer programs with clang in
# build-fuzz and runs fuzz_NAME for SECONDS seconds, starting from the seed
# corpus fuzz/corpus/NAME. Inputs it finds go to build-fuzz/corpus/NAME,
# crashing inputs to build-fuzz/crashes/NAME/.
#
# Reading N bytes may hold about 40 * N bytes (see platform/plist/PropertyList.h):
# a few MB for the longest input here. The memory limits leave room for the
# fuzzer and the sanitizers and report anything that grows beyond the bound:
# RSS_LIMIT_MB for the process, MALLOC_LIMIT_MB for any single allocation.
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
# It keeps a whole volume's worth of state per input, so it gets more room.
rss_default=512
if [ "$name" = catalogue ]; then
    rss_default=1536
    [ -d ../shared/corpus/real ] && python3 fuzz/make_catalogue_seeds.py "$work" examples ../shared/corpus/real
fi
options=(-max_total_time="$seconds" -timeout=10 -max_len=65536
         -rss_limit_mb="${RSS_LIMIT_MB:-$rss_default}" -malloc_limit_mb="${MALLOC_LIMIT_MB:-32}"
         -artifact_prefix="$crashes/" -print_final_stats=1)
[ -f "fuzz/$name.dict" ] && options+=(-dict="fuzz/$name.dict")
exec "build-fuzz/fuzz/fuzz_$name" "${options[@]}" "$work" "fuzz/corpus/$name"
