#!/bin/bash
# elastofreq_survey: what one more shot costs once a frequency is factorised.
#
#   bench/survey.sh BUILD [SINGLE_RUNS]
#
# The two-layer model of bench/direct/make_model.py at 200 x 150 elements of
# 10 m, 3 frequencies, a free top and a perfectly matched layer of 20 elements
# on the other sides (240 x 170 elements in all); explosions 5 m below the
# surface on a line across the model, 201 receivers on the surface. Runs the
# survey with 1, 16, 64 and 256 shots under /usr/bin/time and prints the wall
# time, CPU time and peak resident memory of each, the marginal cost of one
# more shot, and SINGLE_RUNS (default 4) of the 64 shots run one per survey,
# from which the time of 64 separate runs is extrapolated.
set -euo pipefail
build=$(realpath "${1:-build}")
single_runs=${2:-4}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 "$here/direct/make_model.py" "$work" 200 150 --npf 3 > /dev/null

# survey FILE SHOTS [FIRST COUNT]: shots FIRST .. FIRST+COUNT-1 of SHOTS evenly
# from x = 10 m to 1990 m
survey() {
    local file=$1 shots=$2 first=${3:-0} count=${4:-$2} k
    {
        printf 'deck = "model.deck"\n[boundaries]\ntop = "free"\nabsorbing = "pml"\npml_elements = 20\n'
        for ((k = first; k < first + count; ++k)); do
            printf '[[shots]]\nx = %s\ny = 1495.0\nkind = "explosion"\n' \
                "$(python3 -c "print(10.0 + 1980.0 * $k / max($shots - 1, 1))")"
        done
        printf '[receivers]\nfrom = [0.0, 1500.0]\nto = [2000.0, 1500.0]\ncount = 201\n[output]\nname = "line"\n'
    } > "$work/$file"
}

# timed FILE: "wall cpu peak_MB" of one run
timed() {
    (cd "$work" && /usr/bin/time -f "%e %U %S %M" -o time.txt "$build/elastofreq_survey" "$1" > /dev/null)
    awk '{printf "%.2f %.2f %.0f\n", $1, $2 + $3, $4 / 1024}' "$work/time.txt"
}

echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "grid 240 x 170 elements with the layer, 3 frequencies, 201 receivers, block ${ELASTOFREQ_SURVEY_BLOCK:-32}"
printf '%6s %9s %9s %9s\n' shots wall_s cpu_s peak_MB
declare -A wall
for shots in 1 16 64 256; do
    survey "s$shots.toml" "$shots"
    read -r w c m < <(timed "s$shots.toml")
    wall[$shots]=$w
    printf '%6d %9.2f %9.2f %9d\n' "$shots" "$w" "$c" "$m"
done
awk -v a="${wall[1]}" -v b="${wall[256]}" 'BEGIN {printf "marginal cost of one more shot: %.3f s wall ((t256 - t1) / 255)\n", (b - a) / 255}'
awk -v a="${wall[1]}" -v b="${wall[64]}" 'BEGIN {printf "64 shots / 1 shot: %.2f times the wall time\n", b / a}'

total=0
for ((k = 0; k < single_runs; ++k)); do
    shot=$((k * 64 / single_runs))
    survey "single$k.toml" 64 "$shot" 1
    read -r w c m < <(timed "single$k.toml")
    total=$(awk -v t="$total" -v w="$w" 'BEGIN {print t + w}')
done
awk -v t="$total" -v n="$single_runs" -v s="${wall[64]}" 'BEGIN {
    e = t / n * 64
    printf "64 separate single-shot runs: %.1f s wall (extrapolated from %d of them, %.2f s each)\n", e, n, t / n
    printf "the 64-shot survey is %.1f times faster\n", e / s }'
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
