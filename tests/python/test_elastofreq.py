"""The Python package against elastofreq_survey and against the closed form,
and the arrays it refuses. Run with PYTHONPATH=build (tools/test.sh does)."""

import os
import pathlib
import re
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
absorbing = "ABSORBING"
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
amplitude = 2.5
[[shots]]
x = 212.5
y = 120.0
kind = "moment"
amplitude = 0.5
mxx = 1.0
myy = -0.5
mxy = 0.25
[receivers]
from = [0.0, 240.0]
to = [300.0, 230.0]
count = 7
"""


def layered_folder(tmp_path, absorbing="pml"):
    for f in ["p_modulus.freq", "s_modulus.freq", "bulk_density.mat", "model.deck"]:
        shutil.copy(MODEL / f, tmp_path)
    (tmp_path / "s.toml").write_text(SURVEY.replace("ABSORBING", absorbing))
    return tmp_path


@pytest.mark.parametrize("absorbing", ["pml", "first-order"])
def test_equals_the_survey_program_on_the_same_model(tmp_path, absorbing):
    folder = layered_folder(tmp_path, absorbing)
    run = subprocess.run([str(BIN_DIR / "elastofreq_survey"), "s.toml"], cwd=folder,
                         capture_output=True, text=True, timeout=300)
    assert run.returncode == 0, run.stderr
    with h5py.File(folder / "survey_spectra.h5", "r") as f:
        expected = np.stack([f["u1"][()], f["u2"][()]], axis=-1)
        frequencies = f["frequency_khz"][()]

    d = ef.read_survey_model(str(folder / "s.toml"), str(folder))
    model = ef.Model(d["h"], d["density"], d["vp"], d["vs"], d["p_modulus"], d["s_modulus"])
    boundaries = {k: d[k] for k in ["top", "absorbing", "pml_elements", "pml_reflection"]}
    got = ef.survey(model, d["shots"], d["receivers"], (d["df"], d["nf"], d["midpoint"]), kind=d["kinds"],
                    boundaries=boundaries, source_spectrum=d["source_spectrum"])
    assert d["midpoint"]  # the deck's mid-point sampling: (k - 1/2) df
    np.testing.assert_allclose((np.arange(1, d["nf"] + 1) - 0.5) * d["df"], frequencies, rtol=1e-14)
    assert got.shape == expected.shape == (4, 7, d["nf"], 2)
    scale = np.abs(expected).max()
    assert scale > 0
    assert np.abs(got - expected).max() <= 1e-12 * scale, np.abs(got - expected).max() / scale


def uniform(ny=6, nx=8, h=10.0):
    ones = np.ones((ny, nx))
    return ef.Model(h, 2e6 * ones, 3.0 * ones, 1.7 * ones)


def bad_model(field, value):
    m = {"density": 2e6 * np.ones((6, 8)), "vp": 3.0 * np.ones((6, 8)), "vs": 1.7 * np.ones((6, 8))}
    if np.isscalar(value):
        m[field][2, 3] = value
    else:
        m[field] = value
    return ef.Model(10.0, m["density"], m["vp"], m["vs"])


@pytest.mark.parametrize("call, message", [
    (lambda: bad_model("vp", np.ones((6, 7))), "vp: expected shape (6, 8)"),
    (lambda: bad_model("density", np.ones(8)), "density: expected a 2-D array"),
    (lambda: bad_model("vs", np.nan), "vs: not every value is finite"),
    (lambda: bad_model("vp", -3.0), "vp: every value must be positive"),
    (lambda: bad_model("density", 0.0), "density: every value must be positive"),
    (lambda: ef.Model(10.0, *[np.ones((6, 8))] * 3, p_modulus=np.ones((6, 8))),
     "give both or neither"),
    (lambda: ef.Model(10.0, *[np.ones((6, 8))] * 3, p_modulus=np.ones((2, 6, 8)),
                      s_modulus=np.ones((2, 6, 8))), "expected shape (ny, nx) or (nf, ny, nx)"),
    (lambda: ef.Model(10.0, *[np.ones((6, 8))] * 3, p_modulus=np.full((6, 8), np.nan + 0j),
                      s_modulus=np.ones((6, 8))), "p_modulus: not every value is finite"),
    (lambda: ef.Model(-1.0, *[np.ones((6, 8))] * 3), "h: the element side must be positive"),
])
def test_bad_arrays_raise_value_error(call, message):
    with pytest.raises(ValueError, match=re.escape(message)):
        ef.survey(call(), [[40.0, 30.0]], [[10.0, 60.0]], (0.05, 1))


@pytest.mark.parametrize("kwargs, message", [
    (dict(shots=[[40.0, 60.1]]), "shots[0]: (40.000000, 60.100000) lies outside the model"),
    (dict(receivers=[[1.0, 2.0], [-0.5, 2.0]]), "receivers[1]"),
    (dict(shots=[1.0, 2.0, 3.0]), "shots: expected shape (n, 2)"),
    (dict(kind="moment"), "kind[0]: a moment needs its components"),
    (dict(kind="push"), "kind 'push': expected force_x, force_y, explosion or moment"),
    (dict(kind={"kind": "force_x", "mxx": 1.0}), "kind[0].mxx: only a moment has components"),
    (dict(kind={"kind": "moment", "mxx": float("nan")}), "kind[0].mxx: not a finite number"),
    (dict(boundaries={"absorbing": "sponge"}), "absorbing 'sponge': expected pml or first-order"),
    (dict(kind=["explosion", "force_x"]), "kind: one name, or one per shot"),
    (dict(frequencies=(0.05, 0)), "frequencies: need a positive step and count"),
    (dict(source_spectrum=np.ones(3)), "source_spectrum: expected shape (nf,)"),
    (dict(boundaries={"left": "free"}), "boundaries: unknown key 'left'"),
    (dict(boundaries={"top": "rigid"}), "top 'rigid': expected free or absorbing"),
])
def test_bad_survey_arguments_raise_value_error(kwargs, message):
    args = dict(shots=[[40.0, 30.0]], receivers=[[10.0, 60.0]], frequencies=(0.05, 2))
    args.update(kwargs)
    with pytest.raises(ValueError, match=re.escape(message)):
        ef.survey(uniform(), **args)


def test_a_deck_fault_is_the_programs_message(tmp_path):
    folder = layered_folder(tmp_path)
    (folder / "s.toml").write_text(SURVEY.replace('kind = "force_y"', 'kind = "push"'))
    run = subprocess.run([str(BIN_DIR / "elastofreq_survey"), "s.toml"], cwd=folder,
                         capture_output=True, text=True, timeout=60)
    assert run.returncode == 2
    with pytest.raises(ValueError) as raised:
        ef.read_survey_model(str(folder / "s.toml"), str(folder))
    assert str(raised.value).split(": ", 1)[1] in run.stderr


def full_space_green(rho, vp, vs, omega, dx, dy):
    """Displacements (u1, u2) at (dx, dy) from a unit force along x, along y and
    from an explosion of unit moment, in a homogeneous full space: the closed
    form of tests/support/elastic_green.cpp, ported (H0 = H0^(2), outgoing for
    a spectrum of Re(U exp(+i omega t)))."""
    from scipy.special import hankel2
    r = np.hypot(dx, dy)
    c, s = dx / r, dy / r
    kp, ks = omega / vp, omega / vs

    def hessian(k):
        z = k * r
        h0, h1z = hankel2(0, z), hankel2(1, z) / z
        f = 0.25j * k * k
        return (f * (h0 * c * c + h1z * (1 - 2 * c * c)), f * (h0 * s * s + h1z * (1 - 2 * s * s)),
                f * (h0 * c * s - h1z * 2 * c * s))

    gs = -0.25j * hankel2(0, ks * r)
    (sxx, syy, sxy), (pxx, pyy, pxy) = hessian(ks), hessian(kp)
    scale = 1 / (rho * omega * omega)
    gxx, gyy, gxy = (scale * (ks * ks * gs + sxx - pxx), scale * (ks * ks * gs + syy - pyy),
                     scale * (sxy - pxy))
    lambda_2mu = rho * vp * vp
    explosion = -0.25j * kp * hankel2(1, kp * r) / lambda_2mu * np.array([c, s])
    return np.array([[gxx, gxy], [gxy, gyy], explosion])


def test_full_space_point_sources_against_the_closed_form():
    # 100 x 100 elements of 10 m, 30 elements per S wavelength, a layer on every side
    n, h, rho, vp, vs = 100, 10.0, 2000.0, 3.0, 1.7
    model = ef.Model(h, *[np.full((n, n), v) for v in (rho, vp, vs)])
    df = vs / (30 * h)
    x0 = y0 = 9.5 * h
    wavelength = 30 * h
    receivers = [(x0 + d * wavelength * c, y0 + d * wavelength * s)
                 for d in (1.0, 2.0, 3.0) for c, s in ((1, 0), (0, 1), (0.5 ** 0.5, 0.5 ** 0.5))]
    u = ef.survey(model, [(x0, y0)] * 3, receivers, (df, 1), kind=["force_x", "force_y", "explosion"],
                  boundaries={"top": "absorbing", "pml_elements": 15, "pml_reflection": 1e-4})
    omega = 6.28318530717958 * df  # the programs' 2 pi
    checked = 0
    for r, (x, y) in enumerate(receivers):
        closed = full_space_green(rho, vp, vs, omega, x - x0, y - y0)
        for shot in range(3):
            for c in range(2):
                # components that vanish by symmetry are left out
                if abs(closed[shot, c]) < 1e-2 * abs(closed[shot]).max():
                    continue
                ratio = u[shot, r, 0, c] / closed[shot, c]
                assert abs(abs(ratio) - 1) < 0.02, (shot, r, c, ratio)
                assert abs(np.angle(ratio)) < 0.05, (shot, r, c, ratio)
                checked += 1
    assert checked == 6 * 3 + 3 * 6  # on the axes only the component along the axis or the force


def test_field_and_traces_agree_with_the_survey():
    model = uniform(ny=12, nx=16)
    centres = [(35.0, 85.0), (155.0, 5.0)]  # elements (row 8, column 3) and (0, 15)
    frequencies = (0.02, 3)
    u = ef.survey(model, [[52.0, 61.0]], centres, frequencies, kind="force_y")
    field = ef.field(model, (52.0, 61.0), 2, frequencies, kind="force_y")
    assert field.shape == (12, 16, 2)
    np.testing.assert_allclose(field[[8, 0], [3, 15]], u[0, :, 2], rtol=1e-12)
    # the inverse sum, with the zero frequency given the first one's value
    dt, nt = 1.5, 40
    traces = ef.traces(u, frequencies, dt, nt)
    assert traces.shape == (1, 2, nt, 2)
    t = dt * np.arange(nt)
    w = 6.28318530717958 * 0.02 * np.arange(4)
    spectrum = np.concatenate([u[0, :, :1], u[0, :, :]], axis=1)  # [receiver, 0 .. 3, component]
    direct = (w[1] / np.pi) * np.einsum("rfc,tf->rtc", spectrum, np.exp(1j * np.outer(t, w))).real
    np.testing.assert_allclose(traces[0], direct, rtol=0, atol=1e-9 * np.abs(direct).max())


def test_nearly_constant_q_moduli():
    ones = np.ones((2, 3))
    qp = np.array([[np.inf, 50.0, 50.0], [20.0, 20.0, 20.0]])
    pm, sm = ef.nearly_constant_q_moduli(2.0 * ones, 3.0 * ones, 1.5 * ones, qp, 30.0 * ones,
                                         (0.001, 1.0), (0.02, 4))
    assert pm.shape == sm.shape == (4, 2, 3)
    np.testing.assert_array_equal(pm[:, 0, 0], 18.0)  # no attenuation: the relaxed modulus
    # inside the relaxation band the inverse quality factor is nearly 1/Q and
    # the modulus grows with frequency
    np.testing.assert_allclose((pm.imag / pm.real)[:, 0, 1], 1 / 50.0, rtol=0.1)
    np.testing.assert_allclose((sm.imag / sm.real)[:, 1, 1], 1 / 30.0, rtol=0.1)
    assert np.all(np.diff(pm.real[:, 1, 0]) > 0) and np.all(pm.real[:, 1, 0] > 18.0)
    with pytest.raises(ValueError, match=re.escape("q_band: the relaxation band needs 0 < fq1 < fq2")):
        ef.nearly_constant_q_moduli(ones, ones, ones, ones, ones, (1.0, 0.5), (0.02, 4))
    with pytest.raises(ValueError, match=re.escape("qs: every value must be positive")):
        ef.nearly_constant_q_moduli(ones, ones, ones, ones, -ones, (0.001, 1.0), (0.02, 4))
