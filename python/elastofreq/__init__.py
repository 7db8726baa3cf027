"""elastofreq: 2-D P-SV waves in viscoelastic rock, frequency domain, from Python.

The solve is elastofreq_survey's own (one factorisation per frequency for
every shot), called through the extension module elastofreq._core with the
GIL released. Units are the deck's: metres, milliseconds, kHz, velocities in
m/ms, density as a deck gives it, moduli = density * velocity**2.

Arrays on the element grid have shape (ny, nx): row 0 is the model's bottom
row, column 0 its left column; element (j, i) covers x in [i h, (i+1) h] and
y in [j h, (j+1) h]. Positions are (n, 2) arrays of (x, y) in metres from the
model's lower-left corner, y upward. Bad input raises ValueError.
"""

import numpy as np

from . import _core

__all__ = ["Model", "survey", "read_survey_model"]

read_survey_model = _core.read_survey_model


class Model:
    """The rock on the element grid.

    h: element side (m). density: (ny, nx). vp, vs: (ny, nx) elastic P and S
    velocities (m/ms); they give the moduli when p_modulus and s_modulus are
    None, and always the absorbing boundary's and the layer's velocities.
    p_modulus, s_modulus: complex (ny, nx), or (nf, ny, nx) for one set per
    frequency of the survey.
    """

    def __init__(self, h, density, vp, vs, p_modulus=None, s_modulus=None):
        self.h = float(h)
        self.density = np.asarray(density, dtype=float)
        self.vp = np.asarray(vp, dtype=float)
        self.vs = np.asarray(vs, dtype=float)
        self.p_modulus = p_modulus
        self.s_modulus = s_modulus

    @property
    def shape(self):
        return self.density.shape

    def _items(self):
        return dict(h=self.h, density=self.density, vp=self.vp, vs=self.vs,
                    p_modulus=self.p_modulus, s_modulus=self.s_modulus)


def survey(model, shots, receivers, frequencies, kind="explosion", boundaries=None,
           source_spectrum=None):
    """The receivers' displacement spectra, complex [shot, receiver, frequency, (u1, u2)].

    shots, receivers: (n, 2) positions in metres. frequencies: (df, nf), the
    frequencies k * df kHz for k = 1 .. nf, or (df, nf, True) for (k - 1/2) * df
    (a deck's mid-point sampling). kind: "force_x", "force_y" or
    "explosion" (unit force or scalar moment, as a survey file's shots), one
    name for every shot or a list of one per shot.
    boundaries: dict with top ("free" or "absorbing"), pml_elements (20) and
    pml_reflection (1e-3). source_spectrum: complex (nf,), 1 when None.
    """
    df, nf, midpoint = (tuple(frequencies) + (False,))[:3]
    b = {"top": "free", "pml_elements": 20, "pml_reflection": 1e-3, **(boundaries or {})}
    shots = np.atleast_2d(np.asarray(shots, dtype=float))
    kinds = [kind] * len(shots) if isinstance(kind, str) else [str(k) for k in kind]
    acquisition = dict(shots=shots, receivers=np.atleast_2d(np.asarray(receivers, dtype=float)),
                       kinds=kinds,
                       top=str(b["top"]), pml_elements=int(b["pml_elements"]),
                       pml_reflection=float(b["pml_reflection"]))
    band = dict(df=float(df), nf=int(nf), midpoint=bool(midpoint), source_spectrum=source_spectrum)
    return _core.survey(model._items(), acquisition, band)
