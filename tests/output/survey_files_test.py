#!/usr/bin/python3
"""The output files of a survey read back with the clients users have: h5py
for the spectra (one call per dataset, complex128), segyio for the time traces
(record and trace numbers, coordinates, offsets, counts, and every sample
against an inverse Fourier sum done here with numpy). The spectra are those
survey_files_tool writes, recomputed here from its formulas."""

import math
import os
import subprocess
import unittest

import h5py
import numpy as np
import segyio

import run_folder as rf

TOOL = rf.BIN_DIR / "survey_files_tool"
SHOTS = [(100.25, 300.0, b"explosion", 2.0, 0.0, 0.0, 0.0), (0.0, 0.0, b"force_x", 1.0, 0.0, 0.0, 0.0),
         (300.0, 150.0, b"moment", 1.0, 1.0, -1.0, 0.5)]
RECEIVERS = [(0.0, 300.0), (12.34, 299.99), (150.5, 250.0), (300.0, 0.0)]
JW2, NT, DT, DELF = 6, 64, 0.25, 0.0625


def expected_spectra(nf):
    s, r, f = np.meshgrid(np.arange(3.0), np.arange(4.0), np.arange(float(nf)), indexing="ij")
    u1 = (s + r / 2 + f / 4) + 1j * (s - r * f / 8)
    u2 = -f + 1j * (s * r + 1)
    return u1, u2


def inverse_sum(spectra, keyqua, jw1):
    """u(t_k) = (dw/pi) sum_j Re(W_j exp(i w_j t_k)) over frequency numbers
    1 .. JW2, zero below the band, and W_1 = W_2 with the standard sampling."""
    work = np.zeros(spectra.shape[:-1] + (JW2,), dtype=complex)
    work[..., jw1 - 1:] = spectra
    if keyqua == 1:
        work[..., 0] = work[..., 1]
    dw = DELF * 6.28318530717958
    w = (np.arange(JW2) + (0.0 if keyqua == 1 else 0.5)) * dw
    t = np.arange(NT) * DT
    return (dw / math.pi) * np.real(work @ np.exp(1j * np.outer(w, t)))


class SurveyFiles(rf.ScratchTestCase):
    def write(self, keyqua, jw1):
        folder = self.root / f"keyqua{keyqua}_jw1_{jw1}"
        folder.mkdir()
        result = subprocess.run([str(TOOL), str(folder), str(keyqua), str(jw1)],
                                capture_output=True, text=True, timeout=60)
        self.assertEqual(result.returncode, 0, result.stderr)
        # All three files complete, nothing temporary left, the usual mode.
        self.assertEqual(sorted(p.name for p in folder.iterdir()),
                         ["line_spectra.h5", "line_vx.sgy", "line_vz.sgy"])
        umask = os.umask(0)
        os.umask(umask)
        self.assertEqual((folder / "line_vx.sgy").stat().st_mode & 0o777, 0o666 & ~umask)
        return folder

    def test_hdf5_in_one_call_per_dataset(self):
        for keyqua, jw1 in ((1, 1), (2, 3)):
            nf = JW2 - jw1 + 1
            with h5py.File(self.write(keyqua, jw1) / "line_spectra.h5", "r") as f:
                u1, u2 = expected_spectra(nf)
                for name, expected in (("u1", u1), ("u2", u2)):
                    data = f[name][()]
                    self.assertEqual(data.dtype, np.complex128)
                    self.assertEqual(data.shape, (3, 4, nf))
                    np.testing.assert_array_equal(data, expected)
                shift = 1.0 if keyqua == 1 else 0.5
                np.testing.assert_array_equal(f["frequency_number"][()], np.arange(jw1, JW2 + 1))
                np.testing.assert_allclose(f["frequency_khz"][()],
                                           (np.arange(jw1, JW2 + 1) - shift) * DELF, rtol=1e-15)
                n = np.arange(float(nf))
                np.testing.assert_array_equal(f["source_spectrum"][()], (1 + n / 2) - 1j * n / 4)
                self.assertEqual(f["source_spectrum"].dtype, np.complex128)
                for column, name in enumerate(["shot_x", "shot_y", "shot_kind", "shot_amplitude",
                                               "shot_mxx", "shot_myy", "shot_mxy"]):
                    self.assertEqual(list(f[name][()]), [shot[column] for shot in SHOTS], name)
                self.assertEqual(list(f["receiver_x"][()]), [x for x, _ in RECEIVERS])
                self.assertEqual(list(f["receiver_y"][()]), [y for _, y in RECEIVERS])
                self.assertEqual(f["receiver_x"].attrs["units"], "m")
                self.assertEqual((f.attrs["jw1"], f.attrs["jw2"], f.attrs["keyqua"]), (jw1, JW2, keyqua))
                self.assertIn("exp(+i omega t)", f.attrs["time_convention"])

    def test_segy_records_headers_and_samples(self):
        for keyqua, jw1 in ((1, 1), (2, 3)):
            folder = self.write(keyqua, jw1)
            u1, u2 = expected_spectra(JW2 - jw1 + 1)
            for component, spectra in (("vx", u1), ("vz", u2)):
                expected = inverse_sum(spectra, keyqua, jw1).reshape(12, NT)
                with segyio.open(str(folder / f"line_{component}.sgy"), ignore_geometry=True) as f:
                    self.assertEqual(f.tracecount, 12)
                    self.assertEqual(len(f.samples), NT)
                    self.assertEqual(f.bin[segyio.BinField.Interval], 250)
                    self.assertEqual(f.bin[segyio.BinField.Format], 5)
                    self.assertEqual(f.bin[segyio.BinField.Traces], 4)
                    text = bytes(f.text[0]).decode("ascii")
                    self.assertTrue(text.startswith("C 1 ELASTOFREQ_SURVEY"), text[:80])
                    self.assertIn("COMPONENT U1" if component == "vx" else "COMPONENT U2", text)
                    for trace in range(12):
                        shot, receiver = divmod(trace, 4)
                        sx, sy = SHOTS[shot][:2]
                        rx, ry = RECEIVERS[receiver]
                        h = f.header[trace]
                        self.assertEqual(h[segyio.TraceField.FieldRecord], shot + 1)
                        self.assertEqual(h[segyio.TraceField.TraceNumber], receiver + 1)
                        self.assertEqual(h[segyio.TraceField.SourceGroupScalar], -100)
                        self.assertEqual((h[segyio.TraceField.SourceX], h[segyio.TraceField.SourceY]),
                                         (round(sx * 100), round(sy * 100)))
                        self.assertEqual((h[segyio.TraceField.GroupX], h[segyio.TraceField.GroupY]),
                                         (round(rx * 100), round(ry * 100)))
                        offset = round(math.hypot(rx - sx, ry - sy))
                        self.assertEqual(h[segyio.TraceField.offset], -offset if rx < sx else offset)
                        self.assertEqual(h[segyio.TraceField.TRACE_SAMPLE_COUNT], NT)
                        self.assertEqual(h[segyio.TraceField.TRACE_SAMPLE_INTERVAL], 250)
                        scale = np.max(np.abs(expected[trace]))
                        np.testing.assert_allclose(f.trace[trace], expected[trace],
                                                   rtol=0, atol=1e-6 * scale)


if __name__ == "__main__":
    unittest.main()
