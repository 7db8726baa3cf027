"""The Python package against elastofreq_survey and against the closed form,
and the arrays it refuses. Run with PYTHONPATH=build (tools/test.sh does)."""

import os
import pathlib
import shutil
import subprocess

import h5py
import numpy as np
import pytest

import elastofreq as ef

ROOT = pathlib.Path(__file__).resolve().parents[2]
BIN_DIR = pathlib.Path(os.environ.get("ELASTOFREQ_BIN_DIR", ROOT / "build"))
MODEL = ROOT / "tests" / "data" / "direct_reference" / "layered_30x24"
SURVEY = """deck = "model.deck"
[boundaries]
top = "free"
absorbing = "pml"
pml_elements = 6
[[shots]]
x = 100.0
y = 200.0
kind = "explosion"
[[shots]]
x = 155.5
y = 240.0
kind = "force_y"
[[shots]]
x = 300.0
y = 0.0
kind = "force_x"
[receivers]
from = [0.0, 240.0]
to = [300.0, 230.0]
count = 7
"""


def layered_folder(tmp_path):
    for f in ["p_modulus.freq", "s_modulus.freq", "bulk_density.mat", "model.deck"]:
        shutil.copy(MODEL / f, tmp_path)
    (tmp_path / "s.toml").write_text(SURVEY)
    return tmp_path


def test_equals_the_survey_program_on_the_same_model(tmp_path):
    folder = layered_folder(tmp_path)
    run = subprocess.run([str(BIN_DIR / "elastofreq_survey"), "s.toml"], cwd=folder,
                         capture_output=True, text=True, timeout=300)
    assert run.returncode == 0, run.stderr
    with h5py.File(folder / "survey_spectra.h5", "r") as f:
        expected = np.stack([f["u1"][()], f["u2"][()]], axis=-1)
        frequencies = f["frequency_khz"][()]

    d = ef.read_survey_model(str(folder / "s.toml"), str(folder))
    model = ef.Model(d["h"], d["density"], d["vp"], d["vs"], d["p_modulus"], d["s_modulus"])
    boundaries = {k: d[k] for k in ["top", "pml_elements", "pml_reflection"]}
    got = ef.survey(model, d["shots"], d["receivers"], (d["df"], d["nf"], d["midpoint"]), kind=d["kinds"],
                    boundaries=boundaries, source_spectrum=d["source_spectrum"])
    assert d["midpoint"]  # the deck's mid-point sampling: (k - 1/2) df
    np.testing.assert_allclose((np.arange(1, d["nf"] + 1) - 0.5) * d["df"], frequencies, rtol=1e-14)
    assert got.shape == expected.shape == (3, 7, d["nf"], 2)
    scale = np.abs(expected).max()
    assert scale > 0
    assert np.abs(got - expected).max() <= 1e-12 * scale, np.abs(got - expected).max() / scale
