#!/usr/bin/python3
"""elastofreq_segy read back with a real SEG-Y client (python3-segyio): the
receiver count, sample count and interval, the coordinates of every trace
header and every sample, against the text traces and against the geometry of
the deck worked out independently; and the failures a user meets."""

import unittest

import numpy as np
import segyio

import run_folder as rf


def run_segy(folder, deck=None):
    return rf.run_program("elastofreq_segy", folder, deck, timeout=120)


class SegyFromARunFolder(rf.ScratchTestCase):
    def setUp(self):
        super().setUp()
        self.folder = rf.new_run_folder(self.root / "run")
        self.dt, self.nt = rf.deck_dt_nt()

    def test_files_match_the_text_traces_and_the_deck(self):
        result = run_segy(self.folder)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stderr, "")
        self.assertEqual(result.stdout.count("elastofreq_segy: wrote"), 2, result.stdout)
        # The deck was read silently and readata's files stayed out of the folder.
        self.assertEqual(sorted(p.name for p in self.folder.iterdir()),
                         ["deck.txt", "vx_traces.sgy", "vx_traces.su",
                          "vz_traces.sgy", "vz_traces.su"])

        interval = round(self.dt * 1000.0)
        receivers = rf.receivers()
        for comp in ("vx", "vz"):
            text_lines = (self.folder / f"{comp}_traces.su").read_text().splitlines()
            expected = np.array([rf.fortran_float(line[:15]) for line in text_lines],
                                dtype=np.float64).astype(np.float32).reshape(rf.NREC, self.nt)
            with segyio.open(str(self.folder / f"{comp}_traces.sgy"), ignore_geometry=True) as f:
                self.assertEqual(f.bin[segyio.BinField.Format], 5)  # IEEE float
                self.assertEqual(f.tracecount, rf.NREC)
                self.assertEqual(len(f.samples), self.nt)
                self.assertEqual(f.bin[segyio.BinField.Samples], self.nt)
                self.assertEqual(f.bin[segyio.BinField.Interval], interval)
                self.assertEqual(f.bin[segyio.BinField.SEGYRevision], 0x0100)
                self.assertAlmostEqual(f.samples[1], interval / 1000.0)

                text = bytes(f.text[0]).decode("ascii")
                self.assertEqual(len(text), 3200)
                self.assertIn(f"COMPONENT {comp.upper()}", text)
                self.assertIn(f"NREC = {rf.NREC}", text)
                self.assertIn(f"NT = {self.nt}", text)
                self.assertIn("elastofreq_segy", text)
                dt_text = text.split("DT = ")[1].split()[0]
                self.assertEqual(float(dt_text), self.dt)  # the exact time step
                self.assertIn("XSOU = 100.25 M, YSOU = 50 M", text)
                self.assertIn("SEG Y REV1", text)
                times = [(int(t / self.dt) - 1) * self.dt for t in (8.0, 14.0)]
                self.assertIn("SNAPSHOT TIMES (MSEC): " + " ".join(f"{t:.6G}" for t in times),
                              text)

                for k, header in enumerate(f.header):
                    rx, ry = receivers[k]
                    self.assertEqual(header[segyio.TraceField.TRACE_SEQUENCE_LINE], k + 1)
                    self.assertEqual(header[segyio.TraceField.TRACE_SEQUENCE_FILE], k + 1)
                    self.assertEqual(header[segyio.TraceField.TRACE_SAMPLE_COUNT], self.nt)
                    self.assertEqual(header[segyio.TraceField.TRACE_SAMPLE_INTERVAL], interval)
                    self.assertEqual(header[segyio.TraceField.SourceGroupScalar], -100)
                    self.assertEqual(header[segyio.TraceField.GroupX], round(rx * 100))
                    self.assertEqual(header[segyio.TraceField.GroupY], round(ry * 100))
                    self.assertEqual(header[segyio.TraceField.SourceX], 10025)  # centimetres
                    self.assertEqual(header[segyio.TraceField.SourceY], 5000)
                    self.assertEqual(header[segyio.TraceField.TraceIdentificationCode],
                                     14 if comp == "vx" else 12)

                data = np.asarray(f.trace.raw[:])
                self.assertEqual(data.dtype, np.float32)
                np.testing.assert_array_equal(data, expected)
                self.assertTrue(np.any(data != 0.0))

    def test_a_solver_run_end_to_end(self):
        for name in ("vx_traces.su", "vz_traces.su"):
            (self.folder / name).unlink()
        rf.write_material_files(self.folder)
        solver = rf.run_program("elastofreq", self.folder)
        self.assertEqual(solver.returncode, 0, solver.stderr)
        result = run_segy(self.folder)
        self.assertEqual(result.returncode, 0, result.stderr)
        for comp in ("vx", "vz"):
            text = (self.folder / f"{comp}_traces.su").read_text().splitlines()
            self.assertEqual(len(text), rf.NREC * self.nt)
            expected = np.array([rf.fortran_float(line[:15]) for line in text],
                                dtype=np.float64).astype(np.float32).reshape(rf.NREC, self.nt)
            with segyio.open(str(self.folder / f"{comp}_traces.sgy"), ignore_geometry=True) as f:
                data = np.asarray(f.trace.raw[:])
            np.testing.assert_array_equal(data, expected)
            self.assertGreater(np.abs(data).max(), 0.0)  # the source did reach the receivers

    def test_rerun_replaces_older_files(self):
        self.assertEqual(run_segy(self.folder).returncode, 0)
        (self.folder / "vx_traces.su").write_text(
            "\n".join(rf.g15_4(1.5) for _ in range(rf.NREC * self.nt)) + "\n")
        self.assertEqual(run_segy(self.folder).returncode, 0)
        with segyio.open(str(self.folder / "vx_traces.sgy"), ignore_geometry=True) as f:
            self.assertTrue(np.all(np.asarray(f.trace.raw[:]) == np.float32(1.5)))

    def test_missing_or_short_traces_are_clear_errors(self):
        (self.folder / "vz_traces.su").unlink()
        result = run_segy(self.folder)
        self.assertEqual(result.returncode, 2)
        self.assertIn("vz_traces.su", result.stderr)
        self.assertFalse((self.folder / "vx_traces.sgy").exists())  # nothing half done

        rf.write_traces(self.folder, self.nt - 1)  # a trace file of another deck
        result = run_segy(self.folder)
        self.assertEqual(result.returncode, 2)
        self.assertIn(f"vx_traces.su holds only {rf.NREC * (self.nt - 1)} records", result.stderr)
        self.assertIn(f"need {rf.NREC * self.nt}", result.stderr)
        self.assertFalse(any(p.suffix == ".sgy" for p in self.folder.iterdir()))

    def test_decks_that_stop_the_run_have_no_traces(self):
        lines = rf.DECK.read_text().splitlines(keepends=True)
        cases = {
            # more than 20 materials stops with code 222
            "STOP 222": lambda ls: [("   21\n" if l.rstrip().endswith("nmat") else l) for l in ls],
            # a single receiver ends the run plainly
            "fewer than 2 receivers":
                lambda ls: [("    1\n" if l.rstrip().endswith("nrec") else l) for l in ls],
        }
        for message, edit in cases.items():
            deck = self.folder / "bad_deck.txt"
            deck.write_text("".join(edit(lines)))
            result = run_segy(self.folder, deck)
            self.assertEqual(result.returncode, 2, message)
            self.assertIn(message, result.stderr)
        truncated = self.folder / "short_deck.txt"
        truncated.write_text("".join(lines[:30]))
        result = run_segy(self.folder, truncated)
        self.assertEqual(result.returncode, 2)
        self.assertTrue(result.stderr.startswith("elastofreq_segy: "), result.stderr)


if __name__ == "__main__":
    unittest.main()
