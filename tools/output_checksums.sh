#!/usr/bin/env bash
# The outputs of the deck-driven programs as a list of checksums: every file a
# run writes, its standard output (but for the CPU-time line), its standard
# error and its exit status, for
#   - the shipped example (examples/two_layer), material files from elastofreq_moduli;
#   - the medium benchmark deck (bench/medium), material files from bench/make_materials.py;
#   - every deck under tests/data/decks/, with the material files of tests/data/decks/two_layer;
# each through elastofreq, elastofreq_large and elastofreq_check, and the
# example's run through elastofreq_segy too. elastofreq_direct is not in the
# list: its dense kernels come from OpenBLAS, which picks them by processor,
# so its last bits may differ from one processor model to another. Its
# outputs are held to recorded values within 1e-9 of their peak instead
# (DirectProgram tests), and its files to those of one process for any thread
# and rank count.
#
#   tools/output_checksums.sh BUILD_DIR --check [LIST]   compare with a recorded list
#   tools/output_checksums.sh BUILD_DIR --record [LIST]  write the list
#
# LIST defaults to tests/data/output_checksums.txt. A structural change must
# leave every line as it is.
# EF_CHECKSUM_PROGRAMS narrows the programs (for example "elastofreq elastofreq_check").
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
[ $# -ge 2 ] || { echo "usage: $0 BUILD_DIR --check|--record [LIST]" >&2; exit 1; }
build="$(cd "$1" && pwd)"
mode="$2"
list="${3:-$root/tests/data/output_checksums.txt}"
programs=(${EF_CHECKSUM_PROGRAMS:-elastofreq elastofreq_large elastofreq_check})
for p in "${programs[@]}" elastofreq_moduli elastofreq_segy; do
  [ -x "$build/$p" ] || { echo "output_checksums: no $build/$p" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
out="$work/list"
: > "$out"

# Runs one program on one deck in a fresh folder holding the given material
# files, and appends a line per output: case, file, sha256.
run_case() {  # name program deck materials_dir
  local name="$1" program="$2" deck="$3" materials="$4"
  local dir="$work/run/$name/$program"
  mkdir -p "$dir"
  cp "$materials"/p_modulus.freq "$materials"/s_modulus.freq "$materials"/bulk_density.mat "$dir/"
  local status=0
  (cd "$dir" && OMP_NUM_THREADS=2 "$build/$program" < "$deck" > stdout.txt 2> stderr.txt) || status=$?
  grep -v 'tiempo=' "$dir/stdout.txt" > "$dir/stdout.filtered" || true
  rm "$dir/stdout.txt"
  echo "$status" > "$dir/exit_status"
  (cd "$dir" && for f in $(ls | LC_ALL=C sort); do
     echo "$name $program $f $(sha256sum "$f" | cut -d' ' -f1)"
   done) >> "$out"
  if [ "$program" = elastofreq ] && [ "$name" = example ]; then
    (cd "$dir" && "$build/elastofreq_segy" < "$deck" > /dev/null 2>&1 &&
       for f in vx_traces.sgy vz_traces.sgy; do
         echo "$name elastofreq_segy $f $(sha256sum "$f" | cut -d' ' -f1)"
       done) >> "$out"
  fi
}

# the shipped example, its material files from elastofreq_moduli
mkdir -p "$work/materials/example"
(cd "$work/materials/example" && "$build/elastofreq_moduli" < "$root/examples/two_layer/deck.in" > moduli_stdout.txt 2> moduli_stderr.txt)
(cd "$work/materials/example" && for f in p_modulus.freq s_modulus.freq bulk_density.mat moduli_stdout.txt moduli_stderr.txt; do
   echo "example elastofreq_moduli $f $(sha256sum "$f" | cut -d' ' -f1)"
 done) >> "$out"
# the medium benchmark deck
mkdir -p "$work/materials/medium"
python3 "$root/bench/make_materials.py" "$work/materials/medium" 0.06 32 2 > /dev/null

for program in "${programs[@]}"; do
  run_case example "$program" "$root/examples/two_layer/deck.in" "$work/materials/example"
  run_case medium "$program" "$root/bench/medium/deck" "$work/materials/medium"
  for deck in "$root"/tests/data/decks/*.deck; do
    run_case "decks/$(basename "$deck" .deck)" "$program" "$deck" "$root/tests/data/decks/two_layer"
  done
done

case "$mode" in
  --record)
    cp "$out" "$list"
    echo "output_checksums: $(wc -l < "$list") outputs recorded in $list"
    ;;
  --check)
    # only the programs asked for (the SEG-Y files come from elastofreq's run)
    expected="$work/expected"
    awk -v wanted=" ${programs[*]} elastofreq_moduli " \
        'index(wanted, " " ($2 == "elastofreq_segy" ? "elastofreq" : $2) " ")' "$list" > "$expected"
    if diff <(LC_ALL=C sort "$expected") <(LC_ALL=C sort "$out") > "$work/diff"; then
      echo "output_checksums: $(wc -l < "$out") outputs identical to $list"
    else
      echo "output_checksums: outputs differ from $list (< recorded, > this build):"
      cat "$work/diff"
      exit 1
    fi
    ;;
  *) echo "usage: $0 BUILD_DIR --check|--record [LIST]" >&2; exit 1 ;;
esac
