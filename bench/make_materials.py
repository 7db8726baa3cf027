#!/usr/bin/env python3
"""Material files of the medium benchmark deck: frequency-independent
(elastic-constant) complex moduli of the two layers, written in the record
layout the run reads.

  p_modulus.freq, s_modulus.freq: per material a "(i5)" header line with the
    material number, then for jw = jw2 down to jw1 one "(3e20.12)" line:
    frequency (kHz), real part, imaginary part.
  bulk_density.mat: per material a "(i5)" header line, then "(e20.12)".

The band follows the deck's sampling: delf = f4 / npf, jw2 = int(f4 / delf),
jw1 = 2 for the standard quadrature (keyqua 1), 1 for the mid point (keyqua 2).

usage: make_materials.py DIR F4 NPF KEYQUA
"""
import os
import sys

# (density, P modulus, S modulus) in the deck's scaled units; the imaginary
# parts give the layers a constant quality factor.
MATERIALS = [
    (2.0e6, (1.666666666667e7, 5.307855626327e5), (5.0e6, 2.392344497608e5)),
    (2.4e6, (5.666666666667e7, 9.023354564756e5), (2.0e7, 5.089058524173e5)),
]


def e20_12(x: float) -> str:
    """A real in the "e20.12" edit form: 0.ddddddddddddE+xx, 20 columns."""
    if x == 0.0:
        return f"{'0.000000000000E+00':>20}"
    mantissa, exponent = f"{abs(x):.11E}".split("E")
    digits = mantissa.replace(".", "")
    text = f"0.{digits}E{int(exponent) + 1:+03d}"
    return f"{('-' if x < 0 else '') + text:>20}"


def main() -> None:
    out, f4, npf, keyqua = sys.argv[1], float(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
    delf = f4 / npf
    jw2 = int(f4 / delf)
    jw1 = 2 if keyqua == 1 else 1
    shift = 0.0 if keyqua == 1 else 0.5
    with open(os.path.join(out, "p_modulus.freq"), "w") as p, \
         open(os.path.join(out, "s_modulus.freq"), "w") as s, \
         open(os.path.join(out, "bulk_density.mat"), "w") as d:
        for m, (rho, pm, sm) in enumerate(MATERIALS, start=1):
            for f in (p, s, d):
                f.write(f"{m:5d}\n")
            d.write(e20_12(rho) + "\n")
            for jw in range(jw2, jw1 - 1, -1):
                freq = (jw - 1 + shift) * delf
                p.write(e20_12(freq) + e20_12(pm[0]) + e20_12(pm[1]) + "\n")
                s.write(e20_12(freq) + e20_12(sm[0]) + e20_12(sm[1]) + "\n")
    print(f"material files for jw = {jw2} .. {jw1} written to {out}")


if __name__ == "__main__":
    main()
