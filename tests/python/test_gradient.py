"""misfit_and_gradient: the adjoint gradient against centred differences of
the misfit, zero at the true model (also for elastofreq_survey's own HDF5
file as the observed data), the same bits for any thread count, and the
inputs it refuses."""

import subprocess

import h5py
import numpy as np
import pytest

import elastofreq as ef
from test_elastofreq import BIN_DIR, layered_folder

NY, NX, H = 14, 20, 10.0
FREQUENCIES = (0.02, 3)
WEIGHTS = np.array([1.0, 0.5, 2.0])
SHOTS = np.array([[55.0, 120.0], [140.0, 60.0]])
RECEIVERS = np.array([[x, 135.0] for x in np.arange(5.0, 200.0, 20.0)] + [[195.0, 50.0]])


class Rock:
    """Elastic moduli and density per element, the complex moduli of a
    nearly-constant-Q rock at each frequency shifted by the same real amounts,
    and the absorbing velocities that follow sqrt(modulus / density)."""

    def __init__(self):
        rng = np.random.default_rng(7)
        self.rho = 2.0 + 0.1 * rng.random((NY, NX))
        vp, vs = 3.0 + 0.2 * rng.random((NY, NX)), 1.7 + 0.1 * rng.random((NY, NX))
        self.pm, self.sm = self.rho * vp ** 2, self.rho * vs ** 2
        q = np.full((NY, NX), 40.0)
        self.cp, self.cs = ef.nearly_constant_q_moduli(self.rho, vp, vs, q, q, (0.001, 0.1), FREQUENCIES)

    def model(self, shift=None):
        d = {"p_modulus": np.zeros((NY, NX)), "s_modulus": np.zeros((NY, NX)), "density": np.zeros((NY, NX))}
        if shift:
            name, j, i, step = shift
            d[name][j, i] = step
        pm, sm, rho = self.pm + d["p_modulus"], self.sm + d["s_modulus"], self.rho + d["density"]
        return ef.Model(H, rho, np.sqrt(pm / rho), np.sqrt(sm / rho),
                        self.cp + d["p_modulus"], self.cs + d["s_modulus"])


def misfit_and_gradient(model, observed, boundaries, **kwargs):
    return ef.misfit_and_gradient(model, observed, SHOTS, RECEIVERS, FREQUENCIES, boundaries=boundaries,
                                  weights=WEIGHTS, **kwargs)


@pytest.mark.filterwarnings("ignore:the layer's damping follows")
@pytest.mark.parametrize("absorbing, pml_velocity", [("pml", None), ("first-order", None), ("pml", 3.1)])
def test_gradient_against_centred_differences(absorbing, pml_velocity):
    rock = Rock()
    boundaries = {"top": "free", "absorbing": absorbing, "pml_elements": 5}
    observed = ef.survey(rock.model(("p_modulus", 7, 10, 0.5)), SHOTS, RECEIVERS, FREQUENCIES, boundaries=boundaries)
    observed[:, :, :, 1] *= 1.01
    # interior, under the free surface, a corner and a side bordering the layer
    elements = [(7, 10), (13, 5), (0, 0), (3, 19)]
    vp = np.sqrt(rock.pm / rock.rho)
    if pml_velocity:
        # the layer's damping held fixed: the fastest border element too
        boundaries["pml_velocity"] = pml_velocity
        elements.append((int(vp[:, 0].argmax()), 0))
    else:
        # the layer's damping follows the fastest border P velocity: perturb
        # no border element that holds it
        for border in [vp[:, 0], vp[:, -1], vp[0, :]]:
            assert border.argmax() not in (0, 3, 13)
    _, gradient = misfit_and_gradient(rock.model(), observed, boundaries)
    for name, scale in [("p_modulus", rock.pm), ("s_modulus", rock.sm), ("density", rock.rho)]:
        for j, i in elements:
            step = 1e-4 * scale[j, i]

            def difference(d):
                plus = misfit_and_gradient(rock.model((name, j, i, d)), observed, boundaries)[0]
                minus = misfit_and_gradient(rock.model((name, j, i, -d)), observed, boundaries)[0]
                return (plus - minus) / (2 * d)
            # Richardson's extrapolation of two steps: truncation O(step^4)
            expected = (4 * difference(step / 2) - difference(step)) / 3
            got = gradient[name][j, i]
            assert abs(got - expected) <= 1e-6 * abs(expected), (name, j, i, got, expected)


def test_zero_at_the_true_model_and_the_same_bits_for_any_thread_count(tmp_path):
    # observed data: elastofreq_survey's own file for the model of its deck
    folder = layered_folder(tmp_path)
    run = subprocess.run([str(BIN_DIR / "elastofreq_survey"), "s.toml"], cwd=folder,
                         capture_output=True, text=True, timeout=300)
    assert run.returncode == 0, run.stderr
    d = ef.read_survey_model(str(folder / "s.toml"), str(folder))
    model = ef.Model(d["h"], d["density"], d["vp"], d["vs"], d["p_modulus"], d["s_modulus"])
    args = dict(shots=d["shots"], receivers=d["receivers"], frequencies=(d["df"], d["nf"], d["midpoint"]),
                kind=d["kinds"], source_spectrum=d["source_spectrum"],
                boundaries={k: d[k] for k in ["top", "absorbing", "pml_elements", "pml_reflection"]})
    with pytest.warns(UserWarning, match=r"give boundaries\['pml_velocity'\]"):
        misfit, gradient = ef.misfit_and_gradient(model, str(folder / "survey_spectra.h5"), **args)
    assert misfit == 0.0
    assert all(not g.any() for g in gradient.values())

    # away from it: the same bits for 1 and 3 threads, from the file or the array
    with h5py.File(folder / "survey_spectra.h5", "r") as f:
        observed = np.stack([f["u1"][()], f["u2"][()]], axis=-1) * 1.05
    args["boundaries"]["pml_velocity"] = 3.0
    one = ef.misfit_and_gradient(model, observed, **args)
    three = ef.misfit_and_gradient(model, observed, threads=3, **args)
    assert one[0] > 0.0 and one[0] == three[0]
    for name in ["p_modulus", "s_modulus", "density"]:
        assert one[1][name].any()
        assert np.array_equal(one[1][name], three[1][name])


def written(tmp_path, frequencies_khz):
    path = tmp_path / "observed.h5"
    with h5py.File(path, "w") as f:
        f["u1"] = np.zeros((2, len(RECEIVERS), 3), complex)
        f["u2"] = np.zeros((2, len(RECEIVERS), 3), complex)
        f["frequency_khz"] = frequencies_khz
    return str(path)


@pytest.mark.parametrize("observed, kwargs, message", [
    (lambda t: np.zeros((2, len(RECEIVERS), 4, 2), complex), {},
     "observed: 2 shots, 11 receivers and 4 frequencies where the survey has 2, 11 and 3"),
    (lambda t: np.zeros(3), {}, "observed: expected complex [shot, receiver, frequency, 2]"),
    (lambda t: written(t, [0.02, 0.04, 0.05]), {}, "frequency_khz[2] is 0.050000 kHz where the survey has 0.060000 kHz"),
    (lambda t: str(t / "missing.h5"), {}, "missing.h5: no such file"),
    (lambda t: written(t, [0.02, 0.04, 0.06]), {"weights": np.ones(2)}, "weights: expected shape (3,)"),
    (lambda t: written(t, [0.02, 0.04, 0.06]), {"weights": np.array([1.0, -1.0, 1.0])},
     "weights[1]: must be finite and not negative"),
    (lambda t: written(t, [0.02, 0.04, 0.06]), {"threads": 0}, "threads: must be at least 1"),
    (lambda t: written(t, [0.02, 0.04, 0.06]), {"weight": np.ones(3)}, "unknown keyword 'weight' (kind,"),
])
def test_bad_inputs_raise_value_error(tmp_path, observed, kwargs, message):
    with pytest.raises(ValueError) as e:
        ef.misfit_and_gradient(Rock().model(), observed(tmp_path), SHOTS, RECEIVERS, FREQUENCIES, **kwargs)
    assert message in str(e.value)
