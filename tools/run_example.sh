#!/usr/bin/env bash
# Runs a shipped example from scratch: installs what is missing, builds the
# programs (Release), makes a fresh run-example/ folder, generates the material
# files there with elastofreq_moduli, runs the solver and renders the pictures.
# The two-layer example runs elastofreq on its deck and converts the traces to
# SEG-Y; an example with a survey.toml (survey_layered) runs elastofreq_survey
# on it instead.
# Usage: tools/run_example.sh [example name, default two_layer; python for
# the Python module's examples/python/lens.py, fwi for its full-waveform
# inversion examples/python/fwi_lens.py]
# For a survey example, ELASTOFREQ_BIN_DIR=DIR takes the programs from DIR
# instead of building them.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
example=${1:-two_layer}
if [ "$example" = python ] || [ "$example" = fwi ]; then
    # the Python module's examples: a layered model with a lens, ten shots
    # (lens.py), and the lens found again by full-waveform inversion (fwi_lens.py)
    script=lens; pictures="lens_gather.png, lens_field.png"
    if [ "$example" = fwi ]; then script=fwi_lens; pictures="fwi_lens_models.png, fwi_lens_misfit.png"; fi
    tools/setup.sh
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build -j "$(nproc)" --target elastofreq_python
    rm -rf "$root/run-example" && mkdir -p "$root/run-example" && cd "$root/run-example"
    /usr/bin/python3 "$root/examples/python/$script.py"
    echo "pictures: $root/run-example/$pictures"
    exit 0
fi
deck="$root/examples/$example/deck.in"
[ -f "$deck" ] || { echo "run_example.sh: no deck $deck" >&2; exit 1; }

if [ -f "$root/examples/$example/survey.toml" ]; then
    exec "$root/tools/run_survey_example.sh" "$example"
fi

tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target elastofreq elastofreq_moduli elastofreq_segy

out="$root/run-example"
rm -rf "$out"
mkdir -p "$out"
cd "$out"
cp "$deck" deck.in

echo "== material files (elastofreq_moduli < deck.in)"
"$root/build/elastofreq_moduli" < deck.in

echo "== solver (elastofreq < deck.in > run_summary.txt)"
start=$(date +%s)
"$root/build/elastofreq" < deck.in > run_summary.txt
echo "   finished in $(( $(date +%s) - start )) s"

echo "== SEG-Y traces (elastofreq_segy < deck.in)"
"$root/build/elastofreq_segy" < deck.in

echo "== pictures (tools/plot_run.py run-example)"
"$root/tools/plot_run.py" "$out" | tail -n 1

cat <<MSG

Results are in $out (the numbers are those of the two_layer example):
  run_summary.txt                   the run summary the solver printed
  vx_traces.su, vz_traces.su        horizontal and vertical traces, one sample a line,
                                    receiver after receiver (30 x 2880 samples)
  vx_traces.sgy, vz_traces.sgy      the same traces as SEG-Y, for any seismic viewer
  plots/                            pictures: material and velocity maps, snapshots,
                                    gathers, convergence, source wavelet and spectrum
  fort.40 fort.41 fort.42           time-domain snapshots at 100, 125 and 170 ms
                                    (i, j, horizontal value)
  fort.50 fort.51 fort.52           the same, vertical component
  fort.15 ... fort.18               frequency-domain snapshot at 10.625 Hz
  source, filtered_source, spectrum, filtered_spectrum   the source wavelet
  iter.freq                         iterations per frequency (no "NO convergence"
                                    line in run_summary.txt: every one converged)
  vp.freq, vs.freq, inv_qp.freq, inv_qs.freq             velocities and 1/Q of one
                                    monitoring element per frequency
  matnum_gnu, slice_matnum_math, lambda_gnu, mu_gnu, vp33_gnu   material and
                                    modulus maps
  p_modulus.freq, s_modulus.freq, bulk_density.mat       made by elastofreq_moduli
The deck is examples/$example/deck.in, explained record by record in docs/deck.md;
examples/$example/README.md says what to look for.
MSG
