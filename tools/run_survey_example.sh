#!/usr/bin/env bash
# Runs a shipped survey example (examples/NAME/ with deck.in and survey.toml)
# from scratch, as tools/run_example.sh NAME does: builds elastofreq_moduli and
# elastofreq_survey (Release) unless ELASTOFREQ_BIN_DIR names a folder that
# holds them, makes a fresh run-example/ folder, generates the material files
# there, runs the survey and renders its pictures.
# Usage: tools/run_survey_example.sh [example name, default survey_layered]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
example=${1:-survey_layered}
src="$root/examples/$example"
for f in deck.in survey.toml; do
    [ -f "$src/$f" ] || { echo "run_survey_example.sh: no $src/$f" >&2; exit 1; }
done

if [ -n "${ELASTOFREQ_BIN_DIR:-}" ]; then
    bin=$(cd "$ELASTOFREQ_BIN_DIR" && pwd)
else
    tools/setup.sh
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build -j "$(nproc)" --target elastofreq_moduli elastofreq_survey
    bin="$root/build"
fi

out="$root/run-example"
rm -rf "$out"
mkdir -p "$out"
cd "$out"
cp "$src/deck.in" "$src/survey.toml" .

echo "== material files (elastofreq_moduli < deck.in)"
"$bin/elastofreq_moduli" < deck.in

echo "== survey (elastofreq_survey survey.toml)"
start=$(date +%s)
"$bin/elastofreq_survey" survey.toml
echo "   finished in $(( $(date +%s) - start )) s"

echo "== pictures (tools/plot_run.py run-example)"
"$root/tools/plot_run.py" "$out" | tail -n 1

name=$(sed -n 's/^name *= *"\([^"]*\)".*/\1/p' survey.toml)
name=${name:-survey}
cat <<MSG

Results are in $out (NAME = ${name}):
  NAME_vx.sgy, NAME_vz.sgy          the time traces of u1 (horizontal) and u2 (vertical,
                                    upward) as SEG-Y: one record per shot, one trace per
                                    receiver
  NAME_spectra.h5                   the receiver spectra of every shot and frequency (HDF5)
  plots/                            one gather per shot and component, amplitude spectra
  p_modulus.freq, s_modulus.freq, bulk_density.mat   made by elastofreq_moduli
The files are described in docs/survey.md; examples/$example/README.md says
what the model is and what to look for.
MSG
