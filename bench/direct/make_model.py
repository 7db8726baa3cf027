#!/usr/bin/env python3
"""Writes a two-layer benchmark model into a directory: the input deck (model.deck)
and the three material files it needs (p_modulus.freq, s_modulus.freq,
bulk_density.mat), for a grid of NGX x NGY elements of side 10 m.

    make_model.py DIR NGX NGY [--npf N] [--f4 KHZ]

The materials are those of the two-layer example (a soft porous layer over a
stiffer rock) with constant quality factors; the band runs from the lowest
frequency up to f4 in npf steps (mid-point sampling), so the run solves npf
frequencies."""
import argparse
import os

H = 10.0
# density (g/cm3), bulk and shear modulus (dyn/cm2), quality factors P and S
MATERIALS = [
    (2.0, 1.0e11, 0.5e11, 30.0, 20.0),
    (2.4, 3.0e11, 2.0e11, 60.0, 40.0),
]


def i5(v):
    return "%5d" % v


def e20(v):
    return "%20.10E" % v


def deck_text(ngx, ngy, npf, f4):
    xsize, ysize = ngx * H, ngy * H
    lines = [
        (i5(30), "maxlow"), (e20(0.25), "perclow"), (i5(1), "nsx"), (i5(1), "nsy"),
        (i5(0), "ncontrol"), (i5(ngx), "ngx"), (i5(ngy), "ngy"),
        (e20(xsize), "xsize"), (e20(ysize), "ysize"),
        (i5(1), "nsnapf"), (e20(f4 / 2), "fsnap(1)"),
        (i5(1), "nsnapt"), (e20(100.0), "tsnap(1)"),
        (i5(2), "keyqua"), (i5(npf), "npf"), (i5(1), "key"),
        (e20(f4 / 2), "freq"), (e20(400.0), "stime"),
        (e20(0.0), "f1"), (e20(f4 / 10), "f2"), (e20(f4 * 0.8), "f3"), (e20(f4), "f4"),
        (i5(20000), "maxiter"), (e20(1.0e-6), "reduc"),
        (i5(len(MATERIALS)), "nmat"),
    ]
    lines += [(e20(m[0]), "ros") for m in MATERIALS]
    lines += [(e20(m[1]), "xkr") for m in MATERIALS]
    lines += [(e20(m[2]), "xmur") for m in MATERIALS]
    lines += [(e20(0.1), "deltp") for m in MATERIALS]
    lines += [(e20(0.1), "delts") for m in MATERIALS]
    lines += [(e20(0.2), "phi") for m in MATERIALS]
    lines += [(e20(m[0]), "rosaux") for m in MATERIALS]
    lines += [(e20(2.25e10), "kf") for m in MATERIALS]
    lines += [(e20(3.7e11), "ks") for m in MATERIALS]
    lines += [(i5(0), "iaux")]
    for _ in MATERIALS:
        lines += [(e20(0.001), "fq1"), (e20(1.0), "fq2")]
    lines += [
        (i5(1), "kdel"), (e20(0.0), "tmute"),
        (e20(xsize / 2), "xsou"), (e20(ysize * 0.75), "ysou"),
        (i5(20), "nrec"),
        (e20(H * 2), "xinic"), (e20(ysize * 0.9), "yinic"),
        (e20(xsize - H * 2), "xfin"), (e20(ysize * 0.9), "yfin"),
    ]
    # the whole domain in the stiff rock, the upper half in the soft layer
    for xi, xf, yi, yf, m in ((0.0, xsize, 0.0, ysize, 2), (0.0, xsize, ysize / 2, ysize, 1),
                              (-1.0, 0.0, 0.0, 0.0, 0)):
        lines += [(e20(xi), "xi"), (e20(xf), "xf"), (e20(yi), "yi"), (e20(yf), "yf"),
                  (i5(m), "numat"), (i5(0), "unused")]
    return "".join("%s   %s\n" % (value, label) for value, label in lines)


def write_material_files(directory, npf, f4):
    delf = f4 / npf
    jw2 = int(f4 / delf)
    jw1 = 1
    with open(os.path.join(directory, "p_modulus.freq"), "w") as p, \
            open(os.path.join(directory, "s_modulus.freq"), "w") as s, \
            open(os.path.join(directory, "bulk_density.mat"), "w") as d:
        for m, (ros, xkr, xmur, qp, qs) in enumerate(MATERIALS, start=1):
            pm = (xkr + 4.0 / 3.0 * xmur) * 1.0e-4
            sm = xmur * 1.0e-4
            p.write(i5(m) + "\n")
            s.write(i5(m) + "\n")
            d.write(i5(m) + "\n%20.12E\n" % (ros * 1.0e6))
            for jw in range(jw2, jw1 - 1, -1):
                f = (jw - 0.5) * delf
                p.write("%20.12E%20.12E%20.12E\n" % (f, pm, pm / qp))
                s.write("%20.12E%20.12E%20.12E\n" % (f, sm, sm / qs))


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("directory")
    ap.add_argument("ngx", type=int)
    ap.add_argument("ngy", type=int)
    ap.add_argument("--npf", type=int, default=3)
    ap.add_argument("--f4", type=float, default=0.03)
    a = ap.parse_args()
    os.makedirs(a.directory, exist_ok=True)
    with open(os.path.join(a.directory, "model.deck"), "w") as f:
        f.write(deck_text(a.ngx, a.ngy, a.npf, a.f4))
    write_material_files(a.directory, a.npf, a.f4)


if __name__ == "__main__":
    main()
