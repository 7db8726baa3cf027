#!/usr/bin/env bash
# Runs the same deck with the standard program of two builds, and the same
# survey with elastofreq_survey and elastofreq_gradient, and checks that every
# file and the standard output (but for the CPU-time line) are the same
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

# A survey of the layered model of 30 x 24 elements with its layer, three
# shots of three kinds; then the gradient of its model against the first
# build's spectra with their phases turned.
survey() {  # build, directory, threads
  mkdir -p "$work/$2"
  cp "$root"/tests/data/direct_reference/layered_30x24/{p_modulus.freq,s_modulus.freq,bulk_density.mat,model.deck} \
    "$work/$2/"
  printf '%s\n' 'deck = "model.deck"' '[boundaries]' 'pml_elements = 6' 'pml_velocity = 3.0' \
    '[[shots]]' 'x = 100.0' 'y = 200.0' 'kind = "explosion"' \
    '[[shots]]' 'x = 155.5' 'y = 240.0' 'kind = "force_y"' \
    '[[shots]]' 'x = 212.5' 'y = 120.0' 'kind = "moment"' 'mxx = 1.0' 'myy = -0.5' 'mxy = 0.25' \
    '[receivers]' 'from = [0.0, 240.0]' 'to = [300.0, 230.0]' 'count = 7' > "$work/$2/s.toml"
  (cd "$work/$2" && OMP_NUM_THREADS=$3 "$1/elastofreq_survey" s.toml > stdout 2> stderr)
}
gradient() {  # build, directory, threads
  (cd "$work/$2" && OMP_NUM_THREADS=$3 "$1/elastofreq_gradient" s.toml ../observed.h5 \
     > gradient_stdout 2> gradient_stderr)
}
survey "$a" sa 2
survey "$b" sb 1
/usr/bin/python3 - "$work" <<'PY'
import sys
import h5py
work = sys.argv[1]
with h5py.File(f"{work}/sa/survey_spectra.h5", "r") as f, h5py.File(f"{work}/observed.h5", "w") as g:
    for key in f:
        f.copy(key, g)
    g["u1"][...] = f["u1"][()] * (0.9 + 0.2j)
    g["u2"][...] = f["u2"][()] * (1.1 - 0.1j)
PY
gradient "$a" sa 2
gradient "$b" sb 1

status=0
files=0
for pair in a:b sa:sb; do
  x=${pair%:*} y=${pair#*:}
  for f in "$work/$x"/*; do
    name=$(basename "$f")
    files=$((files + 1))
    if [ "$name" = stdout ]; then
      cmp -s <(grep -v 'tiempo=' "$f") <(grep -v 'tiempo=' "$work/$y/$name") ||
        { echo "compare_builds: $x/$name differs"; status=1; }
    elif ! cmp -s "$f" "$work/$y/$name"; then
      echo "compare_builds: $x/$name differs"; status=1
    fi
  done
  [ "$(ls "$work/$x" | wc -l)" = "$(ls "$work/$y" | wc -l)" ] || { echo "compare_builds: different files in $x"; status=1; }
done
grep -q 'global error' "$work/a/stdout" || { echo "compare_builds: no global-error line to compare"; status=1; }
[ -s "$work/sa/survey_gradient.h5" ] || { echo "compare_builds: no gradient to compare"; status=1; }
[ $status = 0 ] && echo "compare_builds: $files files identical ($1 and $2)"
exit $status
