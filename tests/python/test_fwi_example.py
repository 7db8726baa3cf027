"""examples/python/fwi_lens.py --quick runs to its end in a fresh folder: the
inversion loop, the pictures and its closing line. Run with PYTHONPATH=build."""

import os
import pathlib
import re
import subprocess
import sys

import elastofreq as ef

ROOT = pathlib.Path(__file__).resolve().parents[2]


def test_the_quick_inversion_lowers_the_misfit_and_draws_its_pictures(tmp_path):
    # the example imports the very module these tests import, whatever the folder
    env = dict(os.environ, PYTHONPATH=str(pathlib.Path(ef.__file__).resolve().parent))
    run = subprocess.run([sys.executable, str(ROOT / "examples" / "python" / "fwi_lens.py"), "--quick"],
                         cwd=tmp_path, env=env, capture_output=True, text=True, timeout=120)
    assert run.returncode == 0, run.stderr
    last = run.stdout.splitlines()[-1]
    factor = re.fullmatch(r"misfit reduced by a factor of (\d+\.\d)", last)
    assert factor, last
    # a gradient of the wrong sign or scale would leave the misfit where it was
    assert float(factor.group(1)) > 3.0, last
    for picture in ["fwi_lens_models.png", "fwi_lens_misfit.png"]:
        assert (tmp_path / picture).stat().st_size > 10000, picture
