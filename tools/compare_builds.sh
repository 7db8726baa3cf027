#!/usr/bin/env bash
# Runs the same deck with the standard program of two builds and checks that
# every file and the standard output (but for the CPU-time line) are the same
# bytes. tools/test.sh compares the release build (AVX2 code paths where the
# processor has them, 2 threads) with the sanitizer build (baseline x86-64
# code paths only, 1 thread): a difference means a code path, a compiler
# setting or the thread count changes a result.
#
# usage: tools/compare_builds.sh BUILD_A BUILD_B
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
a="$(cd "$1" && pwd)"
b="$(cd "$2" && pwd)"
decks="$root/tests/data/decks"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# the two-layer test deck at 40 x 32 elements, with enough iterations per
# frequency for the periodic global-error lines
awk '/ngx:/ {$0 = "   40" substr($0, 6)} /ngy:/ {$0 = "   32" substr($0, 6)}
     /maxiter:/ {$0 = "  120" substr($0, 6)} /maxlow:/ {$0 = "   40" substr($0, 6)} {print}' \
    "$decks/two_layer.deck" > "$work/deck"

run() {  # build, directory, threads
  mkdir -p "$work/$2"
  cp "$decks"/two_layer/* "$work/$2/"
  (cd "$work/$2" && OMP_DYNAMIC=false OMP_NUM_THREADS=$3 "$1/elastofreq" < ../deck > stdout 2> stderr)
}
run "$a" a 2
run "$b" b 1

status=0
for f in "$work"/a/*; do
  name=$(basename "$f")
  if [ "$name" = stdout ]; then
    cmp -s <(grep -v 'tiempo=' "$f") <(grep -v 'tiempo=' "$work/b/$name") ||
      { echo "compare_builds: standard output differs"; status=1; }
  elif ! cmp -s "$f" "$work/b/$name"; then
    echo "compare_builds: $name differs"; status=1
  fi
done
[ "$(ls "$work/a" | wc -l)" = "$(ls "$work/b" | wc -l)" ] || { echo "compare_builds: different files"; status=1; }
grep -q 'global error' "$work/a/stdout" || { echo "compare_builds: no global-error line to compare"; status=1; }
[ $status = 0 ] && echo "compare_builds: $(ls "$work/a" | wc -l) files identical ($1 and $2)"
exit $status
