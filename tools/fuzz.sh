#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and fuzzes each reader for a
# while, seeded with the test and example decks, small material files and
# survey files. The time given is for all targets together, shared evenly.
#
#   tools/fuzz.sh             # 60 seconds in all, as CI runs it
#   tools/fuzz.sh 10800       # an hour per target
#
# The corpus grows in build-fuzz/corpus/<target>/ and is reused by the next
# run. A finding (crash, sanitizer report, timeout, out-of-memory) stops the
# script with a non-zero status; the input is saved in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
total_seconds=${1:-60}
targets=(deck material_files survey_file)
seconds=$(( total_seconds / ${#targets[@]} ))
[ "$seconds" -ge 1 ] || seconds=1
tools/setup_fuzz.sh
CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DELASTOFREQ_FUZZ=ON \
  -DELASTOFREQ_TESTS=OFF -DELASTOFREQ_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target deck_fuzzer material_files_fuzzer survey_file_fuzzer

seeds=build-fuzz/seeds
rm -rf "$seeds"
for target in "${targets[@]}"; do mkdir -p "$seeds/$target" "build-fuzz/corpus/$target"; done
mkdir -p build-fuzz/findings
cp tests/data/decks/*.deck "$seeds/deck/"
for deck in examples/*/deck.in; do
  if [ -f "$deck" ]; then cp "$deck" "$seeds/deck/example_$(basename "$(dirname "$deck")").deck"; fi
done
# inputs of faults found before, kept so that every run tries them again
cp fuzz/regressions/deck/* "$seeds/deck/" 2>/dev/null || true

# Material-file inputs: four bytes (materials - 1, jw1 - 1, jw2 low and high
# byte), then p_modulus.freq, a form feed, s_modulus.freq, a form feed,
# bulk_density.mat.
material_seed() {  # <name> <nmat-1> <jw1-1> <jw2> <directory>
  local out="$seeds/material_files/$1"
  printf "\\x$(printf %02x "$2")\\x$(printf %02x "$3")\\x$(printf %02x "$4")\\x00" >"$out"
  cat "$5/p_modulus.freq" >>"$out"; printf '\f' >>"$out"
  cat "$5/s_modulus.freq" >>"$out"; printf '\f' >>"$out"
  cat "$5/bulk_density.mat" >>"$out"
}
for dir in tests/data/decks/*/; do
  [ -f "$dir/p_modulus.freq" ] || continue
  nmat=$(grep -c '^ *[0-9][0-9]* *$' "$dir/bulk_density.mat" || true)
  lines=$(wc -l <"$dir/p_modulus.freq")
  [ "$nmat" -ge 1 ] || continue
  jw2=$((lines / nmat - 1))
  material_seed "$(basename "$dir")" $((nmat - 1)) 0 "$jw2" "$dir"
  material_seed "$(basename "$dir")_short" $((nmat - 1)) 1 $((jw2 + 3)) "$dir"
done

# Survey files: the hand-written seeds, those of the examples and the inputs
# of faults found before.
cp fuzz/seeds/survey_file/*.toml fuzz/regressions/survey_file/* "$seeds/survey_file/"
for survey in examples/*/*.toml; do
  if [ -f "$survey" ]; then cp "$survey" "$seeds/survey_file/example_$(basename "$(dirname "$survey")").toml"; fi
done

# Scratch files of the readers go to memory when possible.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
for target in "${targets[@]}"; do
  echo "fuzzing the ${target//_/ } reader for ${seconds} s"
  log="build-fuzz/${target}_fuzzer.log"
  set +e
  "build-fuzz/fuzz/${target}_fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -max_len=16384 -print_final_stats=1 -dict="fuzz/${target}.dict" \
    -artifact_prefix=build-fuzz/findings/ "build-fuzz/corpus/$target" "$seeds/$target" >"$log" 2>&1
  status=$?
  set -e
  if [ "$status" -ne 0 ]; then
    tail -n 80 "$log" >&2
    echo "fuzz target ${target}_fuzzer found a fault (status $status); input in build-fuzz/findings/" >&2
    exit 1
  fi
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ *DONE)' "$log" || true
done
