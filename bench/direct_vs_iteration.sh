#!/usr/bin/env bash
# Time per frequency and peak memory of elastofreq_direct against elastofreq,
# side by side, on two-layer models of 200 x 150 and 400 x 300 elements
# (bench/direct/make_model.py). The iteration runs to the tolerance given
# (reduc) or to its iteration limit, whichever comes first.
#
#   bench/direct_vs_iteration.sh [BUILD_DIR] [REDUC] [MAXITER] [SIZES...]
#   bench/direct_vs_iteration.sh build 1e-6 20000 200x150 400x300
#
# CPU is user + system seconds of the whole run divided by the number of
# frequencies (set-up and time synthesis included); wall likewise; peak is the
# maximum resident set size.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
reduc=${2:-1e-6}
maxiter=${3:-20000}
shift $(( $# < 3 ? $# : 3 ))
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(200x150 400x300)
npf=${NPF:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The deck with the value field of one record replaced (the record's label
# follows its value).
set_record() {  # file label width value
    python3 - "$@" <<'PY'
import sys
path, label, width, value = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
lines = open(path).read().splitlines(True)
for k, line in enumerate(lines):
    if line[width:].split()[:1] == [label]:
        lines[k] = value.rjust(width) + line[width:]
        break
open(path, "w").write("".join(lines))
PY
}

run() {  # program model-dir
    local dir=$work/$(basename "$1")_$(basename "$2")
    cp -r "$2" "$dir"
    ( cd "$dir" && /usr/bin/time -f "%U %S %e %M" -o time.txt "$OLDPWD/$build/$1" < model.deck > out.txt 2> err.txt ) || true
    read -r user sys wall rss < "$dir/time.txt"
    local n iters
    n=$(wc -l < "$dir/iter.freq")
    iters=$(awk '{printf "%s%s", sep, $2; sep="/"}' "$dir/iter.freq")
    if [ "$1" = elastofreq_direct ]; then
        iters="residual $(grep -o 'relative residual = *[^ ]*' "$dir/out.txt" | awk '{print $4}' | sort -g | tail -1)"
    else
        iters="iterations $iters"
    fi
    printf "%-9s %-18s %6d %12.2f %12.2f %10.0f   %s\n" "$size" "$1" "$n" \
        "$(echo "($user + $sys) / $n" | bc -l)" "$(echo "$wall / $n" | bc -l)" "$((rss / 1024))" "$iters"
}

echo "command: bench/direct_vs_iteration.sh $build $reduc $maxiter ${sizes[*]}   (NPF=$npf)"
echo "iteration: reduc $reduc, maxiter $maxiter; $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
printf "%-9s %-18s %6s %12s %12s %10s   %s\n" model program freqs "CPU s/freq" "wall s/freq" "peak MB" "convergence"
for size in "${sizes[@]}"; do
    model=$work/model_$size
    python3 bench/direct/make_model.py "$model" "${size%x*}" "${size#*x}" --npf "$npf" >/dev/null
    set_record "$model/model.deck" reduc 20 "$(printf "%.10E" "$reduc")"
    set_record "$model/model.deck" maxiter 5 "$maxiter"
    set_record "$model/model.deck" maxlow 5 "$maxiter"
    run elastofreq_direct "$model"
    run elastofreq "$model"
done
