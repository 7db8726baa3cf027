"""Input deck of the dispersion measurement: a homogeneous, purely elastic
model of ngx x ngy square elements of side h, with a horizontal plane source
(kdel 9: every element of one row) and absorbing boundaries on all four sides.

Frequencies are chosen by frequency number: with keyqua 1, number jw is the
frequency (jw - 1) * delf, delf = f4 / npf."""

# Material (deck units: g/cm3 and dyn/cm2). A Poisson solid (lambda = mu):
# vs = 1 m/msec, vp = sqrt(3) m/msec. With phi = 0 the absorbing boundary's
# P velocity is sqrt(ks / density): ks is the P-wave modulus. Density and
# moduli are a millionth of a rock's: the velocities are the same and the
# wave field a million times larger, well above the absolute floor (1e-12 on
# the summed squares of the traces) under which the iteration measures its
# change absolutely instead of relatively.
DENSITY = 2.0e-6
SHEAR = 2.0e4
BULK = 5.0 / 3.0 * SHEAR
P_MODULUS = SHEAR * 4.0 / 3.0 + BULK


def velocities():
    """(vp, vs) in m/msec as the deck reader scales the moduli."""
    ros, xmur, xkr = DENSITY * 1e6, SHEAR * 1e-4, BULK * 1e-4
    return ((xmur * 4.0 / 3.0 + xkr) / ros) ** 0.5, (xmur / ros) ** 0.5


def _i5(v, note):
    return f"{int(v):5d} {note}"


def _e20(v, note):
    return f"{v:20.12e} {note}"


def make_deck(ngx, ngy, h, source_row, delf=0.001, npf=600, maxiter=60000, reduc=1e-10):
    """The deck text. source_row is the element row (from 1 at the bottom)
    of the plane source."""
    f4 = delf * npf
    xsize, ysize = ngx * h, ngy * h
    lines = [
        _i5(maxiter, "maxlow"),
        _e20(0.0, "perclow"),
        _i5(1, "nsx"),
        _i5(1, "nsy"),
        _i5(0, "ncontrol"),
        _i5(ngx, "ngx"),
        _i5(ngy, "ngy"),
        _e20(xsize, "xsize (m)"),
        _e20(ysize, "ysize (m)"),
        _i5(0, "nsnapf"),
        _e20(0.0, "fsnap (not used)"),
        _i5(0, "nsnapt"),
        _i5(1, "keyqua: frequency number jw is (jw - 1) delf"),
        _i5(npf, "npf"),
        _i5(2, "key: derivative of a Gaussian"),
        _e20(0.4, "freq (kHz)"),
        _e20(100.0, "stime (msec)"),
        _e20(0.0, "f1"),
        _e20(0.0, "f2"),
        _e20(f4, "f3: no taper inside the band"),
        _e20(f4, "f4 (kHz)"),
        _i5(maxiter, "maxiter"),
        _e20(reduc, "reduc"),
        _i5(1, "nmat"),
        _e20(DENSITY, "ros (g/cm3)"),
        _e20(BULK, "xkr (dyn/cm2)"),
        _e20(SHEAR, "xmur (dyn/cm2)"),
        _e20(0.0, "deltp: purely elastic"),
        _e20(0.0, "delts: purely elastic"),
        _e20(0.0, "phi"),
        _e20(0.0, "rosaux"),
        _e20(2.25e10, "kf"),
        _e20(P_MODULUS, "ks: the P-wave modulus"),
        _i5(0, "iaux"),
        _e20(0.001, "fq1"),
        _e20(1.0, "fq2"),
        _i5(9, "kdel: plane source"),
        _e20(0.0, "tmute"),
        _e20(xsize / 2, "xsou"),
        _e20((source_row - 0.5) * h, "ysou"),
        _i5(2, "nrec"),
        _e20(h / 2, "xinic"),
        _e20(h / 2, "yinic"),
        _e20(h / 2, "xfin"),
        _e20(ysize - h / 2, "yfin"),
        _e20(0.0, "xi: the whole model is material 1"),
        _e20(xsize, "xf"),
        _e20(0.0, "yi"),
        _e20(ysize, "yf"),
        _i5(1, "numat"),
        _i5(0, "(not used)"),
        _e20(-1.0, "xi: end of the regions"),
        _e20(0.0, "xf"),
        _e20(0.0, "yi"),
        _e20(0.0, "yf"),
        _i5(0, "numat"),
        _i5(0, "(not used)"),
    ]
    return "\n".join(lines) + "\n"
