"""The cost of a misfit gradient against the forward survey it extends.

A 200 x 150 model (h = 5 m, two layers and a lens), 16 explosions and 200
receivers under a free surface, 3 frequencies, the perfectly matched layer
of 20 elements: survey() and misfit_and_gradient() timed alternately in one
process, `repeats` times each, and the ratio of the medians printed with the
machine's load.

    PYTHONPATH=build /usr/bin/python3 bench/gradient_bench.py [repeats] [threads]
"""
import os
import sys
import time

import numpy as np

import elastofreq


def main():
    repeats = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    threads = int(sys.argv[2]) if len(sys.argv) > 2 else 1
    nx, ny, h = 200, 150, 5.0
    y = (np.arange(ny) + 0.5) * h
    x = (np.arange(nx) + 0.5) * h
    X, Y = np.meshgrid(x, y)
    vp = np.where(Y > 450.0, 2.0, 3.0)
    vs = vp / 1.8
    lens = (X - 500.0) ** 2 / 120.0 ** 2 + (Y - 400.0) ** 2 / 40.0 ** 2 < 1.0
    vp[lens] *= 0.85
    vs[lens] *= 0.85
    rho = np.full((ny, nx), 2.0)
    model = elastofreq.Model(h, rho, vp, vs)
    shots = np.column_stack([np.linspace(30.0, 970.0, 16), np.full(16, 740.0)])
    receivers = np.column_stack([np.linspace(2.5, 997.5, 200), np.full(200, 747.5)])
    frequencies = (0.01, 3)
    # the layer designed for the fastest border velocity, as by default, but held fixed
    boundaries = {"pml_velocity": 3.0}
    observed = elastofreq.survey(elastofreq.Model(h, rho, vp * 1.01, vs * 1.01), shots, receivers, frequencies,
                                 boundaries=boundaries)
    forward, gradient = [], []
    for _ in range(repeats):
        t = time.perf_counter()
        elastofreq.survey(model, shots, receivers, frequencies, boundaries=boundaries)
        forward.append(time.perf_counter() - t)
        t = time.perf_counter()
        elastofreq.misfit_and_gradient(model, observed, shots, receivers, frequencies, boundaries=boundaries,
                                       threads=threads)
        gradient.append(time.perf_counter() - t)
    f, g = float(np.median(forward)), float(np.median(gradient))
    print(f"forward survey   {f:7.2f} s  (runs: {', '.join(f'{v:.2f}' for v in forward)})")
    print(f"misfit+gradient  {g:7.2f} s  (runs: {', '.join(f'{v:.2f}' for v in gradient)}), threads {threads}")
    print(f"ratio            {g / f:7.2f}")
    print(f"load average     {' '.join(f'{v:.2f}' for v in os.getloadavg())}")


if __name__ == "__main__":
    main()
