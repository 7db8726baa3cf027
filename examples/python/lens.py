#!/usr/bin/python3
"""A layered model with a low-velocity lens, ten shots under a free surface.

Builds the model as NumPy arrays, solves every shot at every frequency with one
factorisation per frequency (elastofreq.survey), turns the spectra into time
traces with a Ricker wavelet (elastofreq.traces), and draws the middle shot's
gather and one frequency's vertical displacement field (elastofreq.field) with
matplotlib: lens_gather.png and lens_field.png in the current folder.

Run:  /usr/bin/python3 examples/python/lens.py  (or tools/run_example.sh python)
It takes the module installed (cmake --install) or, failing that, the one the
README's build left in build/ (ELASTOFREQ_BIN_DIR names another folder).
Units: metres, milliseconds, kHz, velocities in m/ms.
"""

import os
import pathlib
import sys

import numpy as np
import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

try:
    import elastofreq as ef  # noqa: E402
except ImportError:
    build = os.environ.get("ELASTOFREQ_BIN_DIR", pathlib.Path(__file__).resolve().parents[2] / "build")
    sys.path.insert(0, str(build))
    try:
        import elastofreq as ef  # noqa: E402
    except ImportError:
        sys.exit(f"lens.py: no module elastofreq in {build}: build it first "
                 "(tools/run_example.sh python, or cmake --build build --target elastofreq_python)")

# 150 x 80 elements of 5 m: 750 m wide, 400 m deep; row 0 at the bottom
nx, ny, h = 150, 80, 5.0
y = (np.arange(ny) + 0.5) * h  # element centres, metres up from the bottom
x = (np.arange(nx) + 0.5) * h
depth = ny * h - y[:, None] + 0 * x[None, :]
vp = np.where(depth < 100.0, 2.4, np.where(depth < 250.0, 2.8, 3.5))
vs = vp / 1.7
density = np.where(depth < 100.0, 1.9e6, np.where(depth < 250.0, 2.2e6, 2.4e6))
# the lens: an ellipse 200 m wide, 60 m thick, at 180 m depth, 30 % slower
lens = ((x[None, :] - 400.0) / 100.0) ** 2 + ((depth - 180.0) / 30.0) ** 2 < 1.0
vp[lens] *= 0.7
vs[lens] *= 0.7
qp = np.where(lens, 20.0, 100.0)

df, nf = 0.002, 15  # 2 Hz steps up to 30 Hz: 10 elements per S wavelength at the top
frequencies = (df, nf)
p_modulus, s_modulus = ef.nearly_constant_q_moduli(density, vp, vs, qp, qp / 2, (0.001, 1.0),
                                                   frequencies)
model = ef.Model(h, density, vp, vs, p_modulus, s_modulus)

shots = np.column_stack([np.linspace(100.0, 650.0, 10), np.full(10, ny * h - 10.0)])
receivers = np.column_stack([np.linspace(0.0, nx * h, 151), np.full(151, ny * h - h / 2)])
boundaries = {"top": "free", "pml_elements": 20}
data = ef.survey(model, shots, receivers, frequencies, kind="explosion", boundaries=boundaries)

# a Ricker wavelet of 10 Hz peak frequency, delayed by 100 ms
dt, nt = 1.0, 500
t = dt * np.arange(nt)
a = (np.pi * 0.010 * (t - 100.0)) ** 2
wavelet = (1 - 2 * a) * np.exp(-a)
# a cosine taper over the top quarter of the band, against the ringing of its sharp end
taper = np.ones(nf)
taper[nf - nf // 4:] = 0.5 * (1 + np.cos(np.linspace(0, np.pi, nf // 4)))
traces = ef.traces(data * taper[None, None, :, None], frequencies, dt, nt, wavelet)

gather = traces[5, :, :, 1]  # shot 6, vertical displacement
clip = np.percentile(np.abs(gather), 99)
plt.figure(figsize=(7, 5))
plt.imshow(gather.T, aspect="auto", cmap="gray", vmin=-clip, vmax=clip,
           extent=[receivers[0, 0], receivers[-1, 0], t[-1], t[0]])
plt.xlabel("receiver x (m)")
plt.ylabel("time (ms)")
plt.title(f"shot at x = {shots[5, 0]:.0f} m: vertical displacement")
plt.savefig("lens_gather.png", dpi=100)

k = 6  # 14 Hz
u = ef.field(model, shots[5], k, frequencies, kind="explosion", boundaries=boundaries)
plt.figure(figsize=(8, 5))
big = np.percentile(np.abs(u[:, :, 1].real), 99)
image = plt.imshow(u[:, :, 1].real, origin="lower", cmap="seismic", vmin=-big, vmax=big,
                   extent=[0, nx * h, 0, ny * h])
plt.contour(x, y, lens, levels=[0.5], colors="k", linewidths=0.8)
plt.xlabel("x (m)")
plt.ylabel("y (m, up from the bottom)")
plt.title(f"Re u2 at {1000 * (k + 1) * df:.0f} Hz, shot at x = {shots[5, 0]:.0f} m")
plt.colorbar(image)
plt.savefig("lens_field.png", dpi=100)
print("wrote lens_gather.png and lens_field.png")
