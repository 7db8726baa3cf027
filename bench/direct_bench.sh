#!/usr/bin/env bash
# The direct solve of elastofreq_direct on the layered models of
# bench/direct/make_model.py (elements of 10 m, NPF frequencies).
#
#   bench/direct_bench.sh speedup  OLD_BUILD NEW_BUILD [SIZES...]
#       whole runs of OLD_BUILD/elastofreq_direct and NEW_BUILD/elastofreq_direct
#       on each model, one after the other in this invocation (default 400x300):
#       wall and CPU seconds, peak memory, the ratio of the wall times, the
#       largest residual, and whether the two runs' time snapshots agree
#       within 1e-9 of their peak; then NEW_BUILD's figures per factorisation.
#   bench/direct_bench.sh orderings NEW_BUILD [SIZES...]
#       one frequency on one thread with each ordering (and the block low-rank
#       factorisation at the tolerances of LOW_RANK, default "1e-12 1e-10
#       1e-8"): operations, entries in the factors, factorisation time and
#       operation rate, whole-run time and residual (default sizes 200x150
#       400x300 600x450).
#
# The operation rate is MUMPS's operation count of the factorisation divided
# by its time, per wall second and per CPU second of the factorising thread
# (the machine may be shared: the load average goes beside every figure).
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:?usage: bench/direct_bench.sh speedup OLD NEW [SIZES...] | orderings NEW [SIZES...]}
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

load() { cut -d' ' -f1-3 /proc/loadavg; }

model() {  # size npf -> directory
    local dir=$work/model_$1_$2
    [ -d "$dir" ] || python3 bench/direct/make_model.py "$dir" "${1%x*}" "${1#*x}" --npf "$2" >/dev/null
    echo "$dir"
}

# run NAME BINARY MODEL [VAR=VALUE...]: one whole run in a fresh folder;
# prints "wall cpu peakMB residual" and leaves the folder as $work/NAME.
run() {
    local name=$1 binary=$2 model=$3
    shift 3
    rm -rf "$work/$name"
    cp -r "$model" "$work/$name"
    ( cd "$work/$name" && env "$@" ELASTOFREQ_DIRECT_STATISTICS=stats.txt \
        /usr/bin/time -f "%e %U %S %M" -o time.txt "$binary" < model.deck > out.txt 2> err.txt ) || true
    local wall user sys rss
    read -r wall user sys rss < "$work/$name/time.txt"
    local residual
    residual=$(grep -o 'relative residual = *[^ ]*' "$work/$name/out.txt" | awk '{print $4}' | sort -g | tail -1)
    echo "$wall $(echo "$user + $sys" | bc -l) $((rss / 1024)) ${residual:-none}"
}

# The largest difference between two runs' time snapshots, relative to the peak.
snapshot_difference() {
    python3 - "$1" "$2" <<'PY'
import sys, os
worst = 0.0
for name in sorted(os.listdir(sys.argv[1])):
    if not (name.startswith("fort.4") or name.startswith("fort.5")):
        continue
    a = [float(l.split()[-1]) for l in open(os.path.join(sys.argv[1], name))]
    b = [float(l.split()[-1]) for l in open(os.path.join(sys.argv[2], name))]
    peak = max(abs(v) for v in a) or 1.0
    worst = max(worst, max(abs(x - y) for x, y in zip(a, b)) / peak)
print("%.1e" % worst)
PY
}

case "$mode" in
speedup)
    old=$(cd "$1" && pwd)/elastofreq_direct
    new=$(cd "$2" && pwd)/elastofreq_direct
    shift 2
    sizes=("$@")
    [ ${#sizes[@]} -gt 0 ] || sizes=(400x300)
    npf=${NPF:-2}
    echo "command: bench/direct_bench.sh speedup $old $new ${sizes[*]}   (NPF=$npf, OMP_NUM_THREADS=${OMP_NUM_THREADS:-unset}, $(nproc) cores)"
    printf "%-9s %-6s %9s %9s %8s %16s   %s\n" model build "wall s" "CPU s" "peak MB" "max residual" "load before"
    for size in "${sizes[@]}"; do
        m=$(model "$size" "$npf")
        l=$(load); read -r ow oc op orr <<< "$(run old "$old" "$m")"
        printf "%-9s %-6s %9.2f %9.2f %8d %16s   %s\n" "$size" old "$ow" "$oc" "$op" "$orr" "$l"
        l=$(load); read -r nw nc np nr <<< "$(run new "$new" "$m")"
        printf "%-9s %-6s %9.2f %9.2f %8d %16s   %s\n" "$size" new "$nw" "$nc" "$np" "$nr" "$l"
        echo "$size: old / new wall time $(echo "$ow / $nw" | bc -l | xargs printf %.2f)x," \
             "time snapshots differ by $(snapshot_difference "$work/old" "$work/new") of their peak"
        sed "s/^/$size new: /" "$work/new/stats.txt"
    done
    ;;
orderings)
    new=$(cd "$1" && pwd)/elastofreq_direct
    shift
    sizes=("$@")
    [ ${#sizes[@]} -gt 0 ] || sizes=(200x150 400x300 600x450)
    echo "command: bench/direct_bench.sh orderings $new ${sizes[*]}   (one frequency, one thread, $(nproc) cores)"
    for size in "${sizes[@]}"; do
        m=$(model "$size" 1)
        for ordering in amf grid metis pord scotch; do
            l=$(load); read -r w c p r <<< "$(run "$ordering" "$new" "$m" OMP_NUM_THREADS=1 ELASTOFREQ_DIRECT_ORDERING=$ordering)"
            echo "$size $(cat "$work/$ordering/stats.txt") run_wall_s $w peak_MB $p residual $r load $l"
        done
        for tolerance in ${LOW_RANK:-1e-12 1e-10 1e-8}; do
            l=$(load); read -r w c p r <<< "$(run blr "$new" "$m" OMP_NUM_THREADS=1 ELASTOFREQ_DIRECT_LOW_RANK=$tolerance)"
            echo "$size low-rank $tolerance $(cat "$work/blr/stats.txt") run_wall_s $w peak_MB $p residual $r load $l"
        done
    done
    ;;
*) echo "usage: bench/direct_bench.sh speedup OLD NEW [SIZES...] | orderings NEW [SIZES...]" >&2; exit 1 ;;
esac
