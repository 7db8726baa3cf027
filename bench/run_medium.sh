#!/usr/bin/env bash
# End-to-end benchmark on the medium deck (bench/medium/deck: 200 x 150
# elements, 32 frequencies): the run with 1 and with 2 threads, timed phase by
# phase (bench/medium_run), the memory bandwidth of a triad loop with 1 and 2
# threads in the same session, and the standard program itself under
# /usr/bin/time for its wall time and peak resident memory. Every output file
# must be the same bytes whatever the thread count.
#
# usage: bench/run_medium.sh [build dir, default build]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
for exe in bench/medium_run bench/triad elastofreq; do
  [ -x "$build/$exe" ] || { echo "missing $build/$exe: build with -DELASTOFREQ_BENCH=ON" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"

# one directory per run, each with the deck's material files
prepare() {
  mkdir -p "$work/$1"
  python3 "$here/make_materials.py" "$work/$1" 0.06 32 2 >/dev/null
}

echo
echo "== triad (3 x 256 MB arrays)"
triad1=$(OMP_NUM_THREADS=1 "$build/bench/triad" 256)
triad2=$(OMP_NUM_THREADS=2 "$build/bench/triad" 256)
echo "$triad1"
echo "$triad2"

declare -A report
for t in 1 2; do
  prepare "t$t"
  (cd "$work/t$t" && OMP_NUM_THREADS=$t "$build/bench/medium_run" < "$here/medium/deck" > report)
  report[$t]="$work/t$t/report"
done
echo
echo "== medium deck, phase times (bench/medium_run)"
paste "${report[1]}" <(cut -c30- "${report[2]}") | awk -F'\t' '{printf "%-40s %s\n", $1, $2}'

value() { grep "^$2" "${report[$1]}" | awk '{print $NF}'; }
gbs() { sed -E 's/.* ([0-9.]+) GB\/s.*/\1/' <<<"$1"; }
awk -v i1="$(value 1 'iteration phase')" -v i2="$(value 2 'iteration phase')" \
    -v b1="$(value 1 'iteration bandwidth')" -v b2="$(value 2 'iteration bandwidth')" \
    -v t1="$(gbs "$triad1")" -v t2="$(gbs "$triad2")" 'BEGIN {
  printf "\niteration phase, 2 threads vs 1:        %.2fx faster\n", i1 / i2
  printf "iteration bandwidth / triad, 1 thread:   %.2f (%.2f of %.2f GB/s)\n", b1 / t1, b1, t1
  printf "iteration bandwidth / triad, 2 threads:  %.2f (%.2f of %.2f GB/s)\n", b2 / t2, b2, t2
}'

echo
echo "== elastofreq itself, default thread count"
prepare program
(cd "$work/program" && /usr/bin/time -v "$build/elastofreq" < "$here/medium/deck" > run_stdout 2> time.txt) || true
grep -E "Elapsed \(wall|Maximum resident|User time|System time" "$work/program/time.txt"

echo
same=yes
for f in "$work/t1"/*; do
  name=$(basename "$f")
  case "$name" in report|run_stdout) continue ;; esac
  cmp -s "$f" "$work/t2/$name" || { echo "differs with 2 threads: $name"; same=no; }
  cmp -s "$f" "$work/program/$name" || { echo "differs from elastofreq: $name"; same=no; }
done
# the standard output may differ only in the CPU-time line
for d in t2 program; do
  diff <(grep -v tiempo "$work/t1/run_stdout") <(grep -v tiempo "$work/$d/run_stdout") >/dev/null ||
    { echo "standard output differs: $d"; same=no; }
done
echo "output files identical for 1 thread, 2 threads and elastofreq: $same"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
