"""Fabricated run folders for the tests of elastofreq_segy and tools/plot_run.py
(the files a finished run leaves, in the solver's record formats, for the deck
tests/data/segy/deck.txt), a test case with a scratch folder, program runs."""

import math
import os
import re
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

BIN_DIR = Path(os.environ.get("ELASTOFREQ_BIN_DIR", "build"))
TEST_DATA = Path(os.environ.get("ELASTOFREQ_TEST_DATA", "tests/data"))
SOURCE_DIR = Path(os.environ.get("ELASTOFREQ_SOURCE_DIR", "."))
DECK = TEST_DATA / "segy" / "deck.txt"
PLOT_TOOL = SOURCE_DIR / "tools" / "plot_run.py"

# The deck's model, worked out here independently of readata.
NGX, NGY = 20, 10
H = min(200.0 / NGX, 100.0 / NGY)
NREC = 5
XINIC, YINIC, XFIN, YFIN = 20.0, 80.0, 180.0, 80.0
XSOU, YSOU = 100.25, 50.0


def deck_dt_nt():
    ros, xkr, xmur = 2.0 * 1e6, 1.5e11 * 1e-4, 1.0e11 * 1e-4
    ppmax = math.sqrt((xmur * 4.0 / 3.0 + xkr) / ros)
    dt = (H / ppmax) * 0.1
    return dt, int(30.0 / dt)


def receivers():
    drx = (XFIN - XINIC) / (NREC - 1)
    dry = (YFIN - YINIC) / (NREC - 1)
    return [((i - 1) * drx + XINIC, (i - 1) * dry + YINIC) for i in range(1, NREC + 1)]


def g15_4(x):
    """A real in the edit format (g15.4)."""
    a = abs(x)
    if a == 0.0:
        return "     0.000     "
    if 0.1 <= a < 1.0e4:
        exponent = math.floor(math.log10(a)) + 1  # digits before the point
        text = f"{x:.{4 - exponent}f}" + ("." if exponent == 4 else "")
        return text.rjust(11) + "    "
    mantissa_exp = math.floor(math.log10(a)) + 1
    mantissa = x / 10.0 ** mantissa_exp
    if abs(round(mantissa, 4)) >= 1.0:
        mantissa /= 10.0
        mantissa_exp += 1
    digits = f"{abs(mantissa):.4f}"
    sign = "-" if x < 0 else ""
    exp = f"E{mantissa_exp:+03d}" if abs(mantissa_exp) <= 99 else f"{mantissa_exp:+04d}"
    return (sign + digits + exp).rjust(15)


_BARE_EXPONENT = re.compile(r"^([+-]?[0-9.]+)([+-][0-9]+)$")


def fortran_float(text):
    text = text.strip()
    m = _BARE_EXPONENT.match(text)
    return float(m.group(1) + "E" + m.group(2)) if m else float(text)


def trace_sample(component, k, n, nt):
    """A sample of receiver k (0-based) at step n: a wavelet arriving later at
    farther receivers, with the magnitudes a trace file can hold (exact zero,
    tiny values with three-digit exponents, large values)."""
    sign = 1.0 if component == "vx" else -1.0
    t = n / nt
    arrival = 0.2 + 0.12 * k
    v = sign * (k + 1) * math.exp(-((t - arrival) / 0.03) ** 2) * math.cos(40.0 * (t - arrival))
    if n == 0:
        return 0.0
    if n == 1:
        return 1.0e-120 * (k + 1)
    if n == 2 and k == 0:
        return -2.5e5
    return v


def write_traces(folder, nt, nrec=NREC, components=("vx", "vz")):
    for comp in components:
        lines = [g15_4(trace_sample(comp, k, n, nt)) for k in range(nrec) for n in range(nt)]
        (Path(folder) / f"{comp}_traces.su").write_text("\n".join(lines) + "\n")


def list_int(v):
    return f"{v:11d}"


def list_real(v):
    """A real64 in a list-directed record (25 columns, 17 significant digits)."""
    if v == 0.0 or 0.1 <= abs(v) < 1.0e17:
        digits = 17 - (math.floor(math.log10(abs(v))) + 1 if v != 0.0 else 0)
        return f"{v:.{max(digits, 0)}f}".rjust(20) + "     "
    mantissa, exponent = f"{v:.16E}".split("E")
    return f"{mantissa}E{int(exponent):+04d}".rjust(25)


def snapshot_value(i, j, radius, component):
    """A ring wave around the source: positive crest, negative trough."""
    x, y = (i - 0.5) * H, (j - 0.5) * H
    r = math.hypot(x - XSOU, y - YSOU)
    s = math.cos((x - XSOU) / max(r, 1e-9)) if component == "vx" else 1.0
    d = (r - radius) / 12.0
    return s * d * math.exp(-d * d)


def write_model_files(folder):
    folder = Path(folder)
    material = lambda i, j: 1 if j <= NGY // 2 else 2  # noqa: E731
    (folder / "matnum_gnu").write_text("".join(
        f" {list_int(i)} {list_int(j)} {list_int(material(i, j))}\n"
        for j in range(1, NGY + 1) for i in range(1, NGX + 1)))
    (folder / "slice_matnum_math").write_text("".join(
        f"{(j - 1) * H:15.5G}{material(NGX // 2, j):5d}\n" for j in range(1, NGY + 1)))
    vp2 = {1: 3.76 ** 2, 2: 2.9 ** 2}
    (folder / "vp33_gnu").write_text("".join(
        f" {list_int(i)} {list_int(j)} {list_real(vp2[material(i, j)])}\n"
        for j in range(1, NGY + 1) for i in range(1, NGX + 1)))


def write_snapshots(folder, count=2):
    folder = Path(folder)
    for k in range(1, count + 1):
        for unit, comp in ((39 + k, "vx"), (49 + k, "vz")):
            (folder / f"fort.{unit}").write_text("".join(
                f" {list_int(i)} {list_int(j)} {list_real(snapshot_value(i, j, 25.0 * k, comp))}\n"
                for j in range(1, NGY + 1) for i in range(1, NGX + 1)))


def e20_8(v):
    if v == 0.0:
        return "      0.00000000E+00"
    e = math.floor(math.log10(abs(v))) + 1
    m = v / 10.0 ** e
    if abs(round(m, 8)) >= 1.0:
        m /= 10.0
        e += 1
    return (("-" if v < 0 else "") + f"{abs(m):.8f}E{e:+03d}").rjust(20)


def write_logs_and_source(folder, dt, nt):
    folder = Path(folder)
    (folder / "iter.freq").write_text("".join(
        f"{jw:7d}  {12 + (jw * 7) % 30:7d}\n" for jw in range(20, 0, -1)))
    wavelet = [math.sin(0.6 * n) * math.exp(-0.05 * n) for n in range(nt)]
    for name, scale in (("source", 1.0), ("filtered_source", 0.9)):
        (folder / name).write_text("".join(
            e20_8(n * dt) + e20_8(scale * w) + "\n" for n, w in enumerate(wavelet)))
    for name, scale in (("spectrum", 1.0), ("filtered_spectrum", 0.8)):
        (folder / name).write_text("".join(
            e20_8((k - 0.5) * 0.01) + e20_8(scale * math.exp(-((k - 10) / 5.0) ** 2)) + "\n"
            for k in range(1, 21)))


def write_material_files(folder):
    """The moduli of the deck's one material at every frequency number of its
    band (20 down to 1), with quality factors of 50, in the "(3e20.12)" records
    the solver reads."""
    folder = Path(folder)
    p_mod, s_mod, density = 1.5e7 + 4.0 / 3.0 * 1.0e7, 1.0e7, 2.0e6
    rows_p, rows_s = ["    1"], ["    1"]
    for jw in range(20, 0, -1):
        f = (jw - 0.5) * 0.01
        rows_p.append(f"{f:20.12E}{p_mod:20.12E}{p_mod / 50:20.12E}")
        rows_s.append(f"{f:20.12E}{s_mod:20.12E}{s_mod / 50:20.12E}")
    (folder / "p_modulus.freq").write_text("\n".join(rows_p) + "\n")
    (folder / "s_modulus.freq").write_text("\n".join(rows_s) + "\n")
    (folder / "bulk_density.mat").write_text(f"    1\n{density:20.12E}\n")


class ScratchTestCase(unittest.TestCase):
    """A test case whose every test has a fresh folder, self.root, removed
    after it."""

    def setUp(self):
        scratch = tempfile.TemporaryDirectory()
        self.addCleanup(scratch.cleanup)
        self.root = Path(scratch.name)


def run_program(name, folder, deck=None, timeout=300):
    """Runs a program of the build in folder with deck (by default the
    folder's deck.txt) on standard input; text output captured."""
    with open(deck or Path(folder) / "deck.txt", "rb") as stdin:
        return subprocess.run([str(BIN_DIR / name)], cwd=folder, stdin=stdin,
                              capture_output=True, text=True, timeout=timeout)


def new_run_folder(parent, with_traces=True):
    folder = Path(parent)
    folder.mkdir(parents=True, exist_ok=True)
    shutil.copy(DECK, folder / "deck.txt")
    dt, nt = deck_dt_nt()
    if with_traces:
        write_traces(folder, nt)
    return folder
