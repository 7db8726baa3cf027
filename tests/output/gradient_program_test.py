#!/usr/bin/python3
"""elastofreq_gradient end to end on the survey program's small layered model:
zero at the survey program's own spectra, the same bytes for 1 and 2 threads
and 1, 2 and 3 MPI ranks away from them, and every way it refuses to run:
status 2, a message naming the file or option, no output file."""

import os
import shutil
import subprocess

import h5py
import numpy as np

import run_folder as rf
from survey_program_test import MODEL, MPIRUN, SURVEY

GRADIENT = rf.BIN_DIR / "elastofreq_gradient"
SURVEY_PROGRAM = rf.BIN_DIR / "elastofreq_survey"
FILES = ["bulk_density.mat", "model.deck", "observed.h5", "p_modulus.freq", "s.toml", "s_modulus.freq"]


class GradientProgram(rf.ScratchTestCase):
    def setUp(self):
        super().setUp()
        # the observed data: the survey program's spectra, scaled away from the model's
        self.source = self.root / "source"
        self.source.mkdir()
        for f in ["p_modulus.freq", "s_modulus.freq", "bulk_density.mat", "model.deck"]:
            shutil.copy(MODEL / f, self.source)
        (self.source / "s.toml").write_text(SURVEY)
        run = subprocess.run([str(SURVEY_PROGRAM), "s.toml"], cwd=self.source, capture_output=True,
                             text=True, timeout=300)
        self.assertEqual(run.returncode, 0, run.stderr)
        with h5py.File(self.source / "line_spectra.h5", "r") as f, \
                h5py.File(self.source / "observed.h5", "w") as g:
            for key in f:
                f.copy(key, g)
            g["u1"][...] = f["u1"][()] * 1.05
            g["u2"][...] = f["u2"][()] * (1 - 0.03j)

    def folder(self, name):
        folder = self.root / name
        shutil.copytree(self.source, folder)
        for extra in ["line_spectra.h5", "line_vx.sgy", "line_vz.sgy"]:
            (folder / extra).unlink()
        return folder

    def run_in(self, folder, args, ranks=0, **env):
        mpi = [MPIRUN, "--allow-run-as-root", "--oversubscribe", "-np", str(ranks)] if ranks else []
        return subprocess.run([*mpi, str(GRADIENT), *args], cwd=folder, capture_output=True,
                              text=True, timeout=300, env={**os.environ, **env})

    def test_zero_at_its_own_data_and_same_bytes_for_any_rank_and_thread_count(self):
        result = self.run_in(self.source, ["s.toml", "line_spectra.h5"])
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("misfit     0\n", result.stdout)
        with h5py.File(self.source / "line_gradient.h5", "r") as f:
            self.assertFalse(any(f[k][()].any() for k in ["p_modulus", "s_modulus", "density"]))

        runs = {}
        jobs = [(0, "1"), (0, "2")] + ([(2, "1"), (3, "1")] if MPIRUN else [])
        for ranks, threads in jobs:
            folder = self.folder(f"ranks{ranks}_threads{threads}")
            result = self.run_in(folder, ["s.toml", "observed.h5", "--weights=1,0.5"], ranks, OMP_NUM_THREADS=threads)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual(result.stderr, "")
            runs[ranks, threads] = (folder / "line_gradient.h5").read_bytes(), result.stdout
        for job in jobs[1:]:
            self.assertEqual(runs[jobs[0]], runs[job], job)
        with h5py.File(self.root / "ranks0_threads1" / "line_gradient.h5", "r") as f:
            self.assertEqual(f["p_modulus"].shape, (24, 30))
            self.assertTrue(all(f[k][()].any() for k in ["p_modulus", "s_modulus", "density"]))
            share = f["frequency_misfit"][()]
            self.assertEqual(f["weights"][()].tolist(), [1.0, 0.5])
            self.assertAlmostEqual(share.sum() / f.attrs["misfit"], 1.0, places=12)
            self.assertIn(f"misfit     {f.attrs['misfit']:.17g}\n", runs[jobs[0]][1])

    def test_refusals_end_with_status_2_and_no_file(self):
        def moved(folder):  # the observed data of another receiver line
            with h5py.File(folder / "observed.h5", "r+") as f:
                f["receiver_y"][3] -= 10.0

        def short(folder):  # one receiver fewer
            with h5py.File(folder / "observed.h5", "r+") as f:
                u1 = f["u1"][()][:, :6]
                del f["u1"]
                f["u1"] = u1
        cases = [
            ("usage", [], None, "usage: elastofreq_gradient"),
            ("missing", ["s.toml", "absent.h5"], None, "absent.h5: no such file"),
            ("not_hdf5", ["s.toml", "s.toml"], None, "s.toml: not an HDF5 file"),
            ("moved", ["s.toml", "observed.h5"], moved, "observed.h5: receiver_y[3] is 230.000000 m"),
            ("short", ["s.toml", "observed.h5"], short,
             "observed.h5: u1: shape 3 x 6 x 2 where the survey needs 3 x 7 x 2"),
            ("weights", ["s.toml", "observed.h5", "--weights=1"], None, "--weights: 1 weights for 2 frequencies"),
            ("negative", ["s.toml", "observed.h5", "--weights=1,-2"], None, "'-2' (weight 2) is not"),
            ("option", ["s.toml", "observed.h5", "--wieghts=1,1"], None, "unknown option '--wieghts=1,1'"),
        ]
        for name, args, spoil, expected in cases:
            with self.subTest(name):
                folder = self.folder(name)
                if spoil:
                    spoil(folder)
                result = self.run_in(folder, args)
                self.assertEqual(result.returncode, 2)
                self.assertIn(expected, result.stderr)
                self.assertEqual(result.stdout, "")
                self.assertEqual(sorted(p.name for p in folder.iterdir()), FILES)


if __name__ == "__main__":
    import unittest
    unittest.main()
