#!/usr/bin/python3
"""elastofreq_survey end to end on a small layered model: the files read back
with h5py and segyio (counts, coordinates, the solved spectra), the same bytes
for 1 and 2 threads and 1, 2 and 3 MPI ranks, and every way the program refuses to run: status 2, a
message, no output file."""

import os
import unittest
import shutil
import subprocess
import time

import h5py
import numpy as np
import segyio

import run_folder as rf

PROGRAM = rf.BIN_DIR / "elastofreq_survey"
MPIRUN = os.environ.get("ELASTOFREQ_MPIRUN", "")  # empty: a build without MPI
MODEL = rf.TEST_DATA / "direct_reference" / "layered_30x24"
SHOTS = [(100.0, 200.0, "explosion"), (155.5, 240.0, "force_y"), (300.0, 0.0, "force_x")]
SURVEY = """deck = "model.deck"
[boundaries]
top = "free"
absorbing = "pml"
pml_elements = 6
""" + "".join(f'[[shots]]\nx = {x}\ny = {y}\nkind = "{k}"\n' for x, y, k in SHOTS) + """
[receivers]
from = [0.0, 240.0]
to = [300.0, 240.0]
count = 7
[output]
name = "line"
"""
OUTPUTS = ["line_spectra.h5", "line_vx.sgy", "line_vz.sgy"]


class SurveyProgram(rf.ScratchTestCase):
    def folder(self, name, survey=SURVEY):
        folder = self.root / name
        folder.mkdir()
        for f in ["p_modulus.freq", "s_modulus.freq", "bulk_density.mat", "model.deck"]:
            shutil.copy(MODEL / f, folder)
        (folder / "s.toml").write_text(survey)
        return folder

    def run_in(self, folder, args=("s.toml",), ranks=0, **env):
        mpi = [MPIRUN, "--allow-run-as-root", "--oversubscribe", "-np", str(ranks)] if ranks else []
        return subprocess.run([*mpi, str(PROGRAM), *args], cwd=folder, capture_output=True,
                              text=True, timeout=300, env={**os.environ, **env})

    def test_files_read_back_and_same_bytes_for_any_rank_and_thread_count(self):
        runs = {}
        jobs = [(0, "1"), (0, "2")] + ([(2, "1"), (3, "1")] if MPIRUN else [])
        for ranks, threads in jobs:
            folder = self.folder(f"ranks{ranks}_threads{threads}")
            result = self.run_in(folder, ranks=ranks, OMP_NUM_THREADS=threads)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual(result.stderr, "")
            self.assertIn("shots      3\n", result.stdout)
            self.assertIn("wrote      line_spectra.h5\n", result.stdout)
            runs[ranks, threads] = folder
            time.sleep(1.1)  # a file that recorded the time of its writing would differ
        for name in OUTPUTS:
            for job in jobs[1:]:
                self.assertEqual((runs[jobs[0]] / name).read_bytes(), (runs[job] / name).read_bytes(),
                                 f"{name} {job}")
        first = runs[jobs[0]]

        receivers_x = np.linspace(0.0, 300.0, 7)
        with h5py.File(first / "line_spectra.h5", "r") as f:
            u1, u2 = f["u1"][()], f["u2"][()]
            self.assertEqual(u1.dtype, np.complex128)
            self.assertEqual(u1.shape, (3, 7, len(f["frequency_khz"][()])))
            self.assertEqual(u2.shape, u1.shape)
            np.testing.assert_allclose(f["receiver_x"][()], receivers_x, rtol=0, atol=1e-9)
            np.testing.assert_array_equal(f["shot_x"][()], [s[0] for s in SHOTS])
            self.assertTrue(np.all(np.isfinite(u1)) and np.all(np.isfinite(u2)))
            # every shot reaches every receiver; the vertical force on the
            # surface moves it more vertically than the explosion below it
            self.assertTrue(np.all(np.abs(u2).max(axis=2) > 0))
            self.assertGreater(np.abs(u2[1]).max(), np.abs(u2[0]).max())
        for component in ["vx", "vz"]:
            with segyio.open(str(first / f"line_{component}.sgy"), ignore_geometry=True) as f:
                self.assertEqual(f.tracecount, 3 * 7)
                for t in range(f.tracecount):
                    h = f.header[t]
                    shot, receiver = divmod(t, 7)
                    self.assertEqual(h[segyio.TraceField.FieldRecord], shot + 1)
                    self.assertEqual(h[segyio.TraceField.TraceNumber], receiver + 1)
                    self.assertEqual(h[segyio.TraceField.SourceX], round(100 * SHOTS[shot][0]))
                    self.assertEqual(h[segyio.TraceField.GroupX], round(100 * receivers_x[receiver]))
                self.assertGreater(np.abs(f.trace.raw[:]).max(), 0.0)

    def test_refusals_end_with_status_2_and_no_file(self):
        cases = [
            ("usage", (), {}, "usage: elastofreq_survey"),
            ("missing", ("absent.toml",), {}, "absent.toml"),
            ("memory", ("s.toml",), {"ELASTOFREQ_MEMORY_LIMIT_MB": "0.5"}, "MUMPS's estimate"),
        ]
        for name, args, env, expected in cases:
            with self.subTest(name):
                folder = self.folder(name)
                result = self.run_in(folder, args, **env)
                self.assertEqual(result.returncode, 2)
                self.assertIn(expected, result.stderr)
                self.assertEqual(result.stdout, "")
                self.assertFalse(any((folder / n).exists() for n in OUTPUTS))
                self.assertEqual(sorted(p.name for p in folder.iterdir()),
                                 ["bulk_density.mat", "model.deck", "p_modulus.freq", "s.toml",
                                  "s_modulus.freq"])
        folder = self.folder("outside", SURVEY.replace("x = 300.0\ny = 0.0", "x = 300.5\ny = 0.0"))
        result = self.run_in(folder)
        self.assertEqual(result.returncode, 2)
        self.assertIn("s.toml:", result.stderr)
        self.assertIn("outside the model", result.stderr)
        self.assertFalse(any((folder / n).exists() for n in OUTPUTS))
        # a deck of two blocks: its nx would be half the grid
        folder = self.folder("blocks")
        deck = folder / "model.deck"
        deck.write_text(deck.read_text().replace("    1   nsx", "    2   nsx", 1))
        result = self.run_in(folder)
        self.assertEqual(result.returncode, 2)
        self.assertIn("s.toml:1: deck: ", result.stderr)
        self.assertIn("nsx = 2 and nsy = 1", result.stderr)
        self.assertFalse(any((folder / n).exists() for n in OUTPUTS))


if __name__ == "__main__":
    unittest.main()
