#!/usr/bin/python3
"""Full-waveform inversion: a low-velocity lens found from surface data.

The true rock has three layers under a free surface and a slow lens (an
ellipse 120 m wide and 40 m thick at 110 m depth, P and S velocities 30 %
lower). Explosions just under the surface and a line of receivers at the
surface record it at 2 to 16 Hz (elastofreq.survey); these spectra are the
observed data. The starting model is the same layers without the lens. SciPy's
L-BFGS-B then fits the data by moving each element's P and S modulus, the
misfit and its gradient from elastofreq.misfit_and_gradient; the density is
held at the true one. The frequencies come in stages from low to high, 2-6,
2-10, then 2-16 Hz (a weight of 0 leaves a frequency out, unsolved): the low
ones fit the lens's broad shape at a fraction of the cost, the higher ones
sharpen it. Stages are what keeps a model far off from fitting the high
frequencies a cycle wrong; this lens delays the waves by less than half a
period even at 16 Hz, so here the full band from the first iteration does as
well (tried: a factor of about 1000 in 133 iterations against these
stages' 800 to 860 in 135 iterations, at a third more time).

The unknowns are the moduli over the starting model's (1 at the start), bounded
to [0.3, 2]; the misfit is divided by its value at the start of each stage so
that L-BFGS-B sees numbers near 1. The two rows under the surface where the
shots and receivers sit stay fixed: their gradient is mostly the near field
of the sources and receivers, and left free it takes the first steps (42
iterations then fit the full band about 6 times worse).

Printed: a line per stage (its frequencies) and per iteration (the stage's
misfit), and at the end `misfit reduced by a factor of X`: X is the misfit of
the starting model over the full band (every frequency, weight 1) over that of
the recovered model on the same band, both from misfit_and_gradient.
Pictures in the current folder: fwi_lens_models.png (P and S velocity,
sqrt(modulus / density), of the true, starting and recovered models) and
fwi_lens_misfit.png (the misfit per iteration, stages marked).

This is an "inverse crime": the data come from the same grid and solver as the
inversion, without noise, so the fit can be far better than field data allow;
the starting model is exact outside the lens. It shows the machinery, not the
method's limits.

Run:  /usr/bin/python3 examples/python/fwi_lens.py [--quick]  (or
tools/run_example.sh fwi); about 2 minutes on two cores. --quick runs a
coarse model and a few iterations in a few seconds (for the tests).
It takes the module installed (cmake --install) or, failing that, the one the
README's build left in build/ (ELASTOFREQ_BIN_DIR names another folder).
Units: metres, milliseconds, kHz, velocities in m/ms.
"""

import argparse
import os
import pathlib
import sys
import time

import numpy as np
import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
from scipy.optimize import minimize  # noqa: E402

# The module search of lens.py, repeated on purpose: each example is one file
# that runs on its own.
try:
    import elastofreq as ef  # noqa: E402
except ImportError:
    build = os.environ.get("ELASTOFREQ_BIN_DIR", pathlib.Path(__file__).resolve().parents[2] / "build")
    sys.path.insert(0, str(build))
    try:
        import elastofreq as ef  # noqa: E402
    except ImportError:
        sys.exit(f"fwi_lens.py: no module elastofreq in {build}: build it first "
                 "(tools/run_example.sh fwi, or cmake --build build --target elastofreq_python)")

arguments = argparse.ArgumentParser(description=__doc__.splitlines()[0])
arguments.add_argument("--quick", action="store_true",
                       help="a coarse model and a few iterations: seconds, for the tests")
quick = arguments.parse_args().quick
started = time.time()

# 100 x 50 elements of 5 m: 500 m wide, 250 m deep; row 0 at the bottom.
# --quick: the same rock on 10 m elements, fewer shots, receivers and frequencies.
h = 10.0 if quick else 5.0
nx, ny = int(500 / h), int(250 / h)
y = (np.arange(ny) + 0.5) * h  # element centres, metres up from the bottom
x = (np.arange(nx) + 0.5) * h
depth = ny * h - y[:, None] + 0 * x[None, :]
vp = np.where(depth < 60.0, 2.0, np.where(depth < 160.0, 2.5, 3.0))
vs = vp / 1.73
density = np.where(depth < 60.0, 1.9e6, np.where(depth < 160.0, 2.1e6, 2.3e6))
lens = ((x[None, :] - 250.0) / 60.0) ** 2 + ((depth - 110.0) / 20.0) ** 2 < 1.0
true_vp, true_vs = vp.copy(), vs.copy()
true_vp[lens] *= 0.7
true_vs[lens] *= 0.7

# 2, 4, ... 16 Hz: the lens's S wavelength at 16 Hz is 63 m, 12 elements
df, nf = 0.002, (4 if quick else 8)
frequencies = (df, nf)
stages = [2, 4] if quick else [3, 5, 8]  # each stage uses frequencies 1 .. n
iterations = [3, 3] if quick else [15, 20, 100]
shot_count, receiver_count = (4, 25) if quick else (10, 100)
shots = np.column_stack([np.linspace(30.0, 470.0, shot_count), np.full(shot_count, ny * h - 10.0)])
receivers = np.column_stack([np.linspace(h / 2, nx * h - h / 2, receiver_count),
                             np.full(receiver_count, ny * h - h / 2)])
# The layer's damping designed for the fastest rock (3 m/ms) and held there
# while the model changes, so that the gradient is exact at every element.
boundaries = {"top": "free", "pml_elements": 10, "pml_velocity": 3.0}
threads = min(2, os.cpu_count() or 1)


def model_of(p_modulus, s_modulus):
    """The elastic rock of the given moduli (the absorbing layer's velocities follow)."""
    return ef.Model(h, density, np.sqrt(p_modulus / density), np.sqrt(s_modulus / density))


observed = ef.survey(model_of(density * true_vp**2, density * true_vs**2), shots, receivers,
                     frequencies, boundaries=boundaries)
start_p, start_s = density * vp**2, density * vs**2
fixed = np.zeros((ny, nx), dtype=bool)
fixed[ny - 2:, :] = True  # the shots' and receivers' rows
cells = nx * ny


def moduli_of(unknowns):
    return unknowns[:cells].reshape(ny, nx) * start_p, unknowns[cells:].reshape(ny, nx) * start_s


def misfit(unknowns, weights):
    p_modulus, s_modulus = moduli_of(unknowns)
    value, gradient = ef.misfit_and_gradient(model_of(p_modulus, s_modulus), observed, shots,
                                             receivers, frequencies, boundaries=boundaries,
                                             weights=weights, threads=threads)
    g_p = np.where(fixed, 0.0, gradient["p_modulus"]) * start_p  # d/d(unknown) = d/d(modulus) * scale
    g_s = np.where(fixed, 0.0, gradient["s_modulus"]) * start_s
    return value, np.concatenate([g_p.ravel(), g_s.ravel()])


full_band = np.ones(nf)
unknowns = np.ones(2 * cells)
bounds = [(0.3, 2.0)] * (2 * cells)
for k in np.flatnonzero(fixed.ravel()):
    bounds[k] = bounds[cells + k] = (1.0, 1.0)
start_misfit = misfit(unknowns, full_band)[0]
print(f"starting model: full-band misfit {start_misfit:.4e}")
history = []  # the misfit of the stage's band: at the stage's start, then per iteration
stage_ends = []
for stage, (top, count) in enumerate(zip(stages, iterations)):
    weights = np.where(np.arange(nf) < top, 1.0, 0.0)
    scale = misfit(unknowns, weights)[0]
    history.append(scale)
    print(f"stage {stage + 1}: {1000 * df:.0f} to {1000 * df * top:.0f} Hz "
          f"({top} frequencies), misfit {scale:.4e}")
    last = {}

    def objective(u, weights=weights, scale=scale, last=last):
        value, gradient = misfit(u, weights)
        last["u"], last["value"] = u.copy(), value
        return value / scale, gradient / scale

    def report(u, weights=weights, last=last, first=len(history)):
        # L-BFGS-B calls back after its line search, whose last evaluation is
        # u; should it not be, the misfit at u costs one more solve
        value = last["value"] if np.array_equal(u, last["u"]) else misfit(u, weights)[0]
        history.append(value)
        print(f"  iteration {len(history) - first:2d}: misfit {value:.4e}"
              f"  ({time.time() - started:.0f} s)", flush=True)

    result = minimize(objective, unknowns, jac=True, method="L-BFGS-B", bounds=bounds, callback=report,
                      options={"maxiter": count, "maxcor": 20, "ftol": 1e-14, "gtol": 1e-14})
    unknowns = result.x
    stage_ends.append(len(history))

final_misfit = misfit(unknowns, full_band)[0]
recovered_p, recovered_s = moduli_of(unknowns)

# the models: P and S velocity, each on one colour scale for the three models
recovered = [np.sqrt(recovered_p / density), np.sqrt(recovered_s / density)]
maps = {"true": [true_vp, true_vs], "starting": [vp, vs], "recovered": recovered}
figure, axes = plt.subplots(3, 2, figsize=(11, 8), sharex=True, sharey=True)
for column, wave in enumerate(["P", "S"]):
    low = min(m[column].min() for m in maps.values())
    high = max(m[column].max() for m in maps.values())
    for row, (name, velocities) in enumerate(maps.items()):
        axis = axes[row, column]
        image = axis.imshow(velocities[column], origin="lower", extent=[0, nx * h, 0, ny * h],
                            vmin=low, vmax=high, cmap="viridis")
        axis.contour(x, y, lens, levels=[0.5], colors="w", linewidths=0.8, linestyles="dashed")
        axis.set_title(f"{name} model: {wave} velocity")
        figure.colorbar(image, ax=axis, label=f"v{wave.lower()} (m/ms)")
    axes[-1, column].set_xlabel("x (m)")
for row in range(3):
    axes[row, 0].set_ylabel("y (m, up from the bottom)")
axes[0, 0].plot(shots[:, 0], shots[:, 1], "r*", markersize=6, label="shots")
axes[0, 0].plot(receivers[::5, 0], receivers[::5, 1], "wv", markersize=3, label="receivers (every 5th)")
axes[0, 0].legend(loc="lower right", fontsize=7)
figure.tight_layout()
figure.savefig("fwi_lens_models.png", dpi=100)

# the misfit per iteration: each stage's own band, a line between stages
figure, axis = plt.subplots(figsize=(7, 4))
first = 0
for stage, end in enumerate(stage_ends):
    axis.semilogy(range(first, end), history[first:end], "o-", markersize=3,
                  label=f"stage {stage + 1}: {1000 * df:.0f}-{1000 * df * stages[stage]:.0f} Hz")
    if stage:
        axis.axvline(first - 0.5, color="gray", linewidth=0.8)
    first = end
axis.set_xlabel("iteration (each stage starts with its band's misfit of the model so far)")
axis.set_ylabel("misfit of the stage's band")
axis.axhline(start_misfit, color="k", linestyle="dashed", linewidth=0.8,
             label=f"full band, starting model: {start_misfit:.2e}")
axis.axhline(final_misfit, color="k", linestyle="dotted", linewidth=0.8,
             label=f"full band, recovered model: {final_misfit:.2e}")
axis.set_title(f"L-BFGS-B: full-band misfit reduced by a factor of {start_misfit / final_misfit:.1f}")
axis.legend(fontsize=8)
figure.tight_layout()
figure.savefig("fwi_lens_misfit.png", dpi=100)

for wave, column in [("vp", 0), ("vs", 1)]:
    means = [maps[name][column][lens].mean() for name in ["true", "starting", "recovered"]]
    print("inside the lens, mean {}: true {:.3f}, starting {:.3f}, recovered {:.3f} m/ms".format(wave, *means))
print(f"full-band misfit {final_misfit:.4e} after {len(history) - len(stages)} iterations, "
      f"{time.time() - started:.0f} s")
print("wrote fwi_lens_models.png and fwi_lens_misfit.png")
print(f"misfit reduced by a factor of {start_misfit / final_misfit:.1f}")
