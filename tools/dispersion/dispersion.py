#!/usr/bin/env python3
"""Measures the numerical dispersion of elastofreq's element and the reflection
of its absorbing top and bottom boundaries, on the solver itself.

A homogeneous, purely elastic model (a Poisson solid, vs = 1 m/msec,
vp = sqrt(3) m/msec, h = 1 m) is excited by a horizontal plane source (kdel 9:
every element of one row, both components). The plane waves travel up and
down; the up-going one is taken along the middle column above the source,
where the field is the up-going wave plus its reflection from the absorbing
top. The numerical wavenumber k comes from a linear-prediction (Prony) fit:
any sum of the two waves exp(+iky) and exp(-iky) satisfies
    u(j+1) + u(j-1) = 2 cos(kh) u(j),
so cos(kh) is the least-squares solution of that relation over the window;
the amplitudes of the two waves then follow by least squares, and their ratio
is the reflection coefficient of the top boundary.

The left and right sides are set to symmetry planes (dispersion_probe
s-mirror / p-mirror): the solver's absorbing sides do not hold a laterally
uniform plane wave and send edge waves across any finite width (the
--sides study measures that). With the mirrors the middle column carries the
exact 1-D plane wave of the discrete model, so the grid can be one element
wide (a wider strip with held sides would also have resonances at which the
iteration stalls).

The measurement is checked against a Bloch (plane-wave) analysis of the same
element matrices: the dispersion relation of a laterally uniform wave on the
infinite grid, computed from the stiffness and mass tables of the element.

Writes <out>/dispersion.csv, <out>/dispersion.md and <out>/dispersion.png.
Needs Debian's python3-numpy and python3-matplotlib.
"""
import argparse
import math
import os
import subprocess
import sys
import tempfile

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import deck  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
H = 1.0
DELF = 0.001          # kHz between frequency numbers
NPF = 600
G_TARGETS = [3, 4, 5, 6, 8, 10, 12, 16, 20, 25, 32, 40, 50]


# ---------------------------------------------------------------- the solver
def build(build_dir):
    subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "-j2", "--target", "dispersion_probe"],
                   check=True, stdout=subprocess.DEVNULL)
    return os.path.join(build_dir, "dispersion_probe")


def probe(exe, deck_text, sides, column, frequency_numbers):
    """Runs the probe in a scratch directory; returns one dict per frequency."""
    with tempfile.TemporaryDirectory(prefix="dispersion_") as work:
        out = subprocess.run([exe, sides, str(column)] + [str(j) for j in frequency_numbers],
                             input=deck_text, capture_output=True, text=True, cwd=work,
                             check=True).stdout
    blocks, cur = [], None
    for line in out.splitlines():
        if line.startswith("#"):
            jw, f, it, ge, cv = line[1:].split()
            cur = dict(jw=int(jw), f=float(f), iter=int(it), gerror=float(ge),
                       converged=cv == "1", rows=[])
            blocks.append(cur)
        elif line.strip():
            cur["rows"].append([float(x) for x in line.split()])
    for b in blocks:
        a = np.array(b.pop("rows"))
        b["y"] = a[:, 0]
        b["u1"] = a[:, 1] + 1j * a[:, 2]
        b["u2"] = a[:, 3] + 1j * a[:, 4]
    return blocks


# ------------------------------------------------------------------- the fit
def fit_two_waves(y, u, h):
    """k (1/m) of u = A exp(iky) + B exp(-iky), the amplitudes and the
    relative residual of the fit."""
    fm, f0, fp = u[:-2], u[1:-1], u[2:]
    c = np.vdot(f0, fm + fp) / (2 * np.vdot(f0, f0))
    k = abs(np.arccos(c).real) / h
    e = np.exp(1j * k * y)
    a = np.stack([e, 1 / e], 1)
    coef = np.linalg.lstsq(a, u, rcond=None)[0]
    resid = np.linalg.norm(a @ coef - u) / np.linalg.norm(u)
    return k, coef, resid


# ---------------------------------------------------- Bloch analysis (theory)
def element_stiffness(lam, mu):
    t = lambda p, q: (p * lam + q * mu) / 28.0  # noqa: E731
    a, b, c, d, e = t(65, 167), t(37, 111), t(37, 139), t(37, 83), t(9, 55)
    l, m = lam, mu
    return np.array([
        [a, 0, -b, -l, -b, l, e, 0],
        [0, c, -m, -b, m, -b, 0, d],
        [-b, -m, c, 0, d, 0, -b, m],
        [-l, -b, 0, a, 0, e, l, -b],
        [-b, m, d, 0, c, 0, -b, -m],
        [l, -b, 0, e, 0, a, -l, -b],
        [e, 0, -b, l, -b, -l, a, 0],
        [0, d, m, -b, -m, -b, 0, c]], dtype=complex)


ELEMENT_MASS = np.array([
    [781, 0, 269, 0, 269, 0, -59, 0], [0, 781, 0, 269, 0, 269, 0, -59],
    [269, 0, 781, 0, -59, 0, 269, 0], [0, 269, 0, 781, 0, -59, 0, 269],
    [269, 0, -59, 0, 781, 0, 269, 0], [0, 269, 0, -59, 0, 781, 0, 269],
    [-59, 0, 269, 0, 269, 0, 781, 0], [0, -59, 0, 269, 0, 269, 0, 781]], dtype=float) / 5040.0


def bloch_omega2(lam, mu, rho, kh, h):
    """The two acoustic branches omega^2 (S, P) of a laterally uniform wave
    with vertical wavenumber k on the infinite grid: per cell the unknowns
    are u1, u2 on a vertical edge (left = right) and on the bottom edge
    (top = bottom times exp(ikh))."""
    z = np.exp(1j * kh)
    p = np.zeros((8, 4), complex)
    p[0, 0] = p[6, 0] = 1
    p[1, 1] = p[7, 1] = 1
    p[4, 2] = 1
    p[5, 3] = 1
    p[2, 2] = z
    p[3, 3] = z
    k = p.conj().T @ element_stiffness(lam, mu) @ p
    m = p.conj().T @ ELEMENT_MASS @ p
    ev = np.sort(np.linalg.eigvals(np.linalg.solve(m, k)).real)
    return ev[0] / (rho * h * h), ev[1] / (rho * h * h)


def bloch_error(lam, mu, rho, v, branch, g, h):
    """Relative phase-velocity error of the branch (0: S, 1: P) at G points
    per wavelength, by bisection on kh."""
    omega = 2 * math.pi * v / (g * h)
    lo, hi = 1e-6, math.pi
    for _ in range(200):
        mid = 0.5 * (lo + hi)
        if bloch_omega2(lam, mu, rho, mid, h)[branch] < omega * omega:
            lo = mid
        else:
            hi = mid
    return omega / (0.5 * (lo + hi) / h * v) - 1


# ------------------------------------------------------------------ measuring
def frequency_number(f_khz):
    return int(round(f_khz / DELF)) + 1


def measure(exe, ny, source_row, margin, g_targets):
    vp, vs = deck.velocities()
    text = deck.make_deck(1, ny, H, source_row, delf=DELF, npf=NPF)
    rows = []
    for wave, sides, comp, v in (("S", "s-mirror", "u1", vs), ("P", "p-mirror", "u2", vp)):
        jws = sorted({frequency_number(v / (g * H)) for g in g_targets}, reverse=True)
        jws = [j for j in jws if 2 <= j <= NPF - 1]
        for b in probe(exe, text, sides, 1, jws):
            lo, hi = source_row + margin, ny - margin
            k, coef, resid = fit_two_waves(b["y"][lo:hi], b[comp][lo:hi], H)
            omega = 2 * math.pi * b["f"]
            up, down = max(abs(coef)), min(abs(coef))
            rows.append(dict(wave=wave, jw=b["jw"], f_khz=b["f"], G=v / (b["f"] * H),
                             error=omega / (k * v) - 1, reflection=down / up,
                             residual=resid, iterations=b["iter"], converged=b["converged"]))
    return rows


def sides_study(exe, ny, source_row, margin, widths):
    """The S wave at one frequency with the solver's absorbing sides, for
    several widths: the apparent error and the misfit of the two-wave fit."""
    vp, vs = deck.velocities()
    jw = frequency_number(vs / (25 * H))
    out = []
    for nx in widths:
        text = deck.make_deck(nx, ny, H, source_row, delf=DELF, npf=NPF)
        for sides in ("absorbing", "s-mirror"):
            if sides == "s-mirror" and nx != widths[0]:
                continue
            b = probe(exe, text, sides, (nx + 1) // 2, [jw])[0]
            lo, hi = source_row + margin, ny - margin
            k, coef, resid = fit_two_waves(b["y"][lo:hi], b["u1"][lo:hi], H)
            out.append(dict(nx=nx, sides=sides, G=vs / (b["f"] * H),
                            error=2 * math.pi * b["f"] / (k * vs) - 1, residual=resid))
    return out


def order_of(rows, wave, gmin=8):
    sel = [r for r in rows if r["wave"] == wave and r["G"] >= gmin]
    x = np.log([r["G"] for r in sel])
    y = np.log([abs(r["error"]) for r in sel])
    return -np.polyfit(x, y, 1)[0]


def g_for(rows, wave, level):
    """Smallest G with |error| <= level (log-log interpolation)."""
    sel = sorted((r for r in rows if r["wave"] == wave), key=lambda r: r["G"])
    for a, b in zip(sel, sel[1:]):
        if abs(a["error"]) > level >= abs(b["error"]):
            t = (math.log(level) - math.log(abs(a["error"]))) / (
                math.log(abs(b["error"])) - math.log(abs(a["error"])))
            return math.exp(math.log(a["G"]) + t * (math.log(b["G"]) - math.log(a["G"])))
    return float("nan")


def write_outputs(out_dir, rows, study, lam, mu, rho):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    import matplotlib.ticker

    vp, vs = deck.velocities()
    os.makedirs(out_dir, exist_ok=True)
    for r in rows:
        v, branch = (vs, 0) if r["wave"] == "S" else (vp, 1)
        r["bloch"] = bloch_error(lam, mu, rho, v, branch, r["G"], H)
    with open(os.path.join(out_dir, "dispersion.csv"), "w") as f:
        f.write("wave,jw,f_khz,G,phase_velocity_error,bloch_error,top_reflection,"
                "fit_residual,iterations,converged\n")
        for r in rows:
            f.write(f"{r['wave']},{r['jw']},{r['f_khz']:.6f},{r['G']:.4f},{r['error']:.6e},"
                    f"{r['bloch']:.6e},{r['reflection']:.4e},{r['residual']:.2e},"
                    f"{r['iterations']},{int(r['converged'])}\n")
    with open(os.path.join(out_dir, "dispersion.md"), "w") as f:
        f.write("| wave | G = wavelength/h | phase-velocity error | Bloch analysis |"
                " measured - Bloch | top reflection | fit residual | iterations |\n")
        f.write("|---|---:|---:|---:|---:|---:|---:|---:|\n")
        for r in rows:
            f.write(f"| {r['wave']} | {r['G']:.2f} | {100 * r['error']:+.4f} % |"
                    f" {100 * r['bloch']:+.4f} % | {r['error'] - r['bloch']:+.1e} |"
                    f" {r['reflection']:.2e} | {r['residual']:.1e} |"
                    f" {r['iterations']}{'' if r['converged'] else ' (limit)'} |\n")
        f.write("\n")
        for wave in ("S", "P"):
            f.write(f"- {wave}: order {order_of(rows, wave):.2f} (slope of log error against"
                    f" log G, G >= 8); G for 1 %: {g_for(rows, wave, 0.01):.1f},"
                    f" for 0.1 %: {g_for(rows, wave, 0.001):.1f}\n")
        f.write("\nBloch analysis at G = 10 for other ratios vp/vs (the table above is"
                " for sqrt(3)):\n\n| vp/vs | S error | P error |\n|---:|---:|---:|\n")
        for ratio in (1.5, math.sqrt(3.0), 2.0, 3.0):
            lam_r = (ratio * ratio - 2.0) * mu
            vp_r = ratio * vs
            f.write(f"| {ratio:.3f} | {100 * bloch_error(lam_r, mu, rho, vs, 0, 10.0, H):+.3f} % |"
                    f" {100 * bloch_error(lam_r, mu, rho, vp_r, 1, 10.0, H):+.3f} % |\n")
        if study:
            f.write("\nS wave, G = %.1f, with the solver's absorbing sides (middle column):\n\n"
                    % study[0]["G"])
            f.write("| nx | sides | apparent error | fit residual |\n|---:|---|---:|---:|\n")
            for s in study:
                f.write(f"| {s['nx']} | {s['sides']} | {100 * s['error']:+.4f} % |"
                        f" {s['residual']:.1e} |\n")

    fig, (ax1, ax2) = plt.subplots(1, 2, figsize=(11, 4.5))
    gg = np.geomspace(3, 60, 80)
    for wave, v, branch, colour in (("S", vs, 0, "tab:blue"), ("P", vp, 1, "tab:red")):
        sel = [r for r in rows if r["wave"] == wave]
        ax1.loglog([r["G"] for r in sel], [abs(r["error"]) for r in sel], "o", color=colour,
                   label=f"{wave} wave, measured")
        ax1.loglog(gg, [abs(bloch_error(lam, mu, rho, v, branch, g, H)) for g in gg], "-",
                   color=colour, lw=0.8, label=f"{wave} wave, Bloch analysis")
        ax2.loglog([r["G"] for r in sel], [r["reflection"] for r in sel], "o-", color=colour,
                   label=f"{wave} wave")
    ax1.axhline(0.01, color="grey", ls=":", lw=0.8)
    ax1.axhline(0.001, color="grey", ls=":", lw=0.8)
    ax1.set_xlabel("G = wavelength / h")
    ax1.set_ylabel("relative phase-velocity error (numerical wave is faster)")
    ax1.set_title("Dispersion of the element (Poisson solid)")
    ax1.legend(fontsize=8)
    ax1.grid(True, which="both", lw=0.3)
    ax2.set_xlabel("G = wavelength / h")
    ax2.set_ylabel("|reflected| / |incident|")
    ax2.set_title("Reflection of the absorbing top (normal incidence)")
    ax2.legend(fontsize=8)
    ax2.grid(True, which="both", lw=0.3)
    for ax in (ax1, ax2):
        ax.set_xticks([3, 4, 5, 6, 8, 10, 15, 20, 30, 40, 50])
        ax.xaxis.set_major_formatter(matplotlib.ticker.ScalarFormatter())
        ax.xaxis.set_minor_formatter(matplotlib.ticker.NullFormatter())
    fig.tight_layout()
    fig.savefig(os.path.join(out_dir, "dispersion.png"), dpi=110)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--build", default=os.path.join(ROOT, "build"))
    ap.add_argument("--out", default=os.path.join(ROOT, "docs", "accuracy"))
    ap.add_argument("--rows", type=int, default=200, help="element rows of the model")
    ap.add_argument("--sides", type=int, nargs="*", default=[1, 51, 101],
                    help="widths of the absorbing-sides study (empty: skip it)")
    args = ap.parse_args()

    exe = build(args.build)
    vp, vs = deck.velocities()
    rho = deck.DENSITY * 1e6
    mu = rho * vs * vs
    lam = rho * vp * vp - 2 * mu
    source_row, margin = 11, 15
    rows = measure(exe, args.rows, source_row, margin, G_TARGETS)
    study = sides_study(exe, 120, source_row, margin, args.sides) if args.sides else []
    write_outputs(args.out, rows, study, lam, mu, rho)
    sys.stdout.write(open(os.path.join(args.out, "dispersion.md")).read())


if __name__ == "__main__":
    main()
