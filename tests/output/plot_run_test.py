#!/usr/bin/python3
"""tools/plot_run.py on fabricated run folders: one picture per file the folder
holds, every PNG a real non-empty image, a snapshot that shows its wave (not a
blank canvas), the units on every colour bar, the receiver positions on the
gathers, the layer interfaces over the snapshots, and folders with files
missing."""

import os
import subprocess
import sys
import types
import unittest

import matplotlib

matplotlib.use("Agg")
import matplotlib.image as mpimg  # noqa: E402
import numpy as np  # noqa: E402

import run_folder as rf  # noqa: E402

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
FULL_RUN = {
    "material_map.png", "velocity_map.png",
    "snapshot_01_vx.png", "snapshot_01_vz.png", "snapshot_02_vx.png", "snapshot_02_vz.png",
    "gather_vx.png", "gather_vz.png", "convergence.png",
    "source_wavelet.png", "source_spectrum.png",
}


def plot(folder, *extra):
    env = dict(os.environ, ELASTOFREQ_BIN_DIR=str(rf.BIN_DIR))
    return subprocess.run([sys.executable, str(rf.PLOT_TOOL), str(folder), *map(str, extra)],
                          capture_output=True, text=True, timeout=300, env=env)


def colour_fractions(png):
    """Fractions of clearly red and clearly blue pixels of an image."""
    rgb = mpimg.imread(png)[..., :3]
    red = (rgb[..., 0] > 0.6) & (rgb[..., 2] < 0.45)
    blue = (rgb[..., 2] > 0.6) & (rgb[..., 0] < 0.45)
    return red.mean(), blue.mean(), rgb.std()


def write_survey_segy(path, shots, receivers, nt, dt, sign):
    """One record per shot, one trace per receiver (x, at y = 97.5 m), headers as
    elastofreq_survey writes them: a Ricker pulse arriving at |offset| / 1 m/msec."""
    import segyio
    layout = types.SimpleNamespace(format=5, samples=list(range(nt)), iline=189, xline=193,
                                   tracecount=len(shots) * len(receivers))
    t = np.arange(nt) * dt
    with segyio.create(str(path), layout) as f:
        f.text[0] = segyio.tools.create_text_header({1: "ELASTOFREQ_SURVEY", 5: f"DT = {dt} MSEC"})
        f.bin.update({segyio.BinField.Interval: int(dt * 1000), segyio.BinField.Samples: nt,
                      segyio.BinField.Traces: len(receivers)})
        k = 0
        for s, (sx, sy) in enumerate(shots, start=1):
            for r, rx in enumerate(receivers, start=1):
                arg = (np.pi * 0.1 * (t - 5.0 - abs(rx - sx))) ** 2
                f.trace[k] = (sign * (1 - 2 * arg) * np.exp(-arg)).astype(np.float32)
                f.header[k] = {segyio.TraceField.FieldRecord: s, segyio.TraceField.TraceNumber: r,
                               segyio.TraceField.SourceGroupScalar: -100,
                               segyio.TraceField.SourceX: int(sx * 100),
                               segyio.TraceField.SourceY: int(sy * 100),
                               segyio.TraceField.GroupX: int(rx * 100),
                               segyio.TraceField.GroupY: 9750}
                k += 1


def write_survey_spectra(path, nshot, nrec, nf=6):
    import h5py
    with h5py.File(path, "w") as f:
        f["frequency_khz"] = (np.arange(nf) + 0.5) * 0.004
        shape = (nshot, nrec, nf)
        f["u1"] = np.arange(np.prod(shape)).reshape(shape) * (1 + 1j) + 1
        f["u2"] = np.ones(shape) * 1j
        f["source_spectrum"] = np.linspace(1, 2, nf) + 0j


class PlotRun(rf.ScratchTestCase):
    def test_a_full_run_folder_gives_every_picture(self):
        folder = rf.new_run_folder(self.root / "run")
        dt, nt = rf.deck_dt_nt()
        rf.write_model_files(folder)
        rf.write_snapshots(folder, count=2)
        rf.write_logs_and_source(folder, dt, nt)

        result = plot(folder, folder / "deck.txt")  # the deck lets it convert the traces
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertTrue((folder / "vx_traces.sgy").exists(), result.stdout)
        pictures = {p.name for p in (folder / "plots").iterdir()}
        self.assertEqual(pictures, FULL_RUN, result.stdout)
        for name in pictures:
            data = (folder / "plots" / name).read_bytes()
            self.assertTrue(data.startswith(PNG_SIGNATURE), name)
            self.assertGreater(len(data), 5000, name)
        self.assertIn("11 pictures", result.stdout)

        # The ring wave shows in both polarities of the symmetric colour scale.
        red, blue, spread = colour_fractions(folder / "plots" / "snapshot_01_vz.png")
        self.assertGreater(red, 0.01)
        self.assertGreater(blue, 0.01)
        self.assertGreater(spread, 0.1)
        # So do the gathers, whose traces change sign.
        red, blue, _ = colour_fractions(folder / "plots" / "gather_vx.png")
        self.assertGreater(red, 0.002)
        self.assertGreater(blue, 0.002)

        # Rendering again replaces the pictures; without the deck it uses the
        # SEG-Y files already there.
        result = plot(folder)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual({p.name for p in (folder / "plots").iterdir()}, FULL_RUN)

    def test_colour_bars_carry_units_and_pictures_the_model(self):
        folder = rf.new_run_folder(self.root / "run")
        rf.write_model_files(folder)
        rf.write_snapshots(folder, count=1)
        self.assertEqual(plot(folder, folder / "deck.txt").returncode, 0)  # the SEG-Y files

        sys.path.insert(0, str(rf.PLOT_TOOL.parent))
        import plot_run
        import matplotlib.pyplot as plt
        from matplotlib.collections import LineCollection

        bars, tops, interfaces = {}, {}, {}

        class Recorder(plot_run.Renderer):
            def save(self, fig, name):
                data = [a for a in fig.axes if a.get_label() != "<colorbar>"][0]
                bars[name] = [a.get_ylabel() for a in fig.axes if a.get_label() == "<colorbar>"]
                tops[name] = [a.get_xlabel() for a in data.child_axes]
                interfaces[name] = [c.get_segments() for c in data.collections
                                    if isinstance(c, LineCollection)]
                plt.close(fig)

        r = Recorder(folder, plot_run.Geometry.from_run(folder))
        for step in (r.material_map, r.velocity_map, r.snapshots, r.gathers):
            step()
        shown = "relative units, source peak 1"
        self.assertEqual(bars, {
            "material_map.png": ["material number (no unit)"],
            "velocity_map.png": ["P velocity (m/msec = km/s)"],
            "snapshot_01_vx.png": [f"horizontal displacement u1\n({shown}; clipped at 99.5 % of |u|)"],
            "snapshot_01_vz.png": [f"vertical displacement u2\n({shown}; clipped at 99.5 % of |u|)"],
            "gather_vx.png": [f"horizontal displacement u1 ({shown})"],
            "gather_vz.png": [f"vertical displacement u2 ({shown})"],
        })
        # The receivers run along x, 20 m to 180 m.
        self.assertEqual(tops["gather_vx.png"], ["receiver x (m)"])
        # Material 2 above row NGY / 2: one interface along y = 5 h, drawn
        # element by element over the snapshots and the velocity map.
        for name in ("snapshot_01_vz.png", "velocity_map.png"):
            (segments,) = interfaces[name]
            self.assertEqual(len(segments), rf.NGX, name)
            self.assertTrue(all(seg[0][1] == seg[1][1] == rf.NGY // 2 * rf.H for seg in segments))

    def test_missing_files_are_skipped(self):
        empty = self.root / "empty"
        empty.mkdir()
        result = plot(empty)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("0 pictures", result.stdout)
        self.assertIn("skipped material map", result.stdout)

        # Text traces but no deck: no gathers, the rest is drawn; snapshots are
        # then drawn in element units (slice_matnum_math absent, no SEG-Y).
        partial = rf.new_run_folder(self.root / "partial")
        rf.write_snapshots(partial, count=1)
        (partial / "iter.freq").write_text("     20       7\n     19       9\n")
        (partial / "spectrum").write_text("")  # a standard-sampling run leaves it empty
        (partial / "matnum_gnu").write_text(" 1 1 x\n")  # damaged: skipped, not fatal
        result = plot(partial)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual({p.name for p in (partial / "plots").iterdir()},
                         {"snapshot_01_vx.png", "snapshot_01_vz.png", "convergence.png"})
        self.assertIn("skipped gather vx", result.stdout)
        self.assertIn("skipped material map: unreadable", result.stdout)

    def test_a_survey_folder_gives_one_gather_per_shot_and_the_spectra(self):
        folder = self.root / "survey"
        folder.mkdir()
        shots, receivers = [(30.0, 95.0), (170.0, 95.0)], [10.0, 60.0, 110.0, 160.0]
        nt, dt = 80, 0.5
        for comp, sign in (("vx", 1.0), ("vz", -1.0)):
            write_survey_segy(folder / f"line_{comp}.sgy", shots, receivers, nt, dt, sign)
        write_survey_spectra(folder / "line_spectra.h5", len(shots), len(receivers))
        (folder / "vx_traces.sgy").write_bytes(b"")  # not a survey file: not taken as one

        sys.path.insert(0, str(rf.PLOT_TOOL.parent))
        import plot_run
        import matplotlib.pyplot as plt

        bars, axes = {}, {}

        class Recorder(plot_run.SurveyRenderer):
            def save(self, fig, name):
                data = [a for a in fig.axes if a.get_label() != "<colorbar>"]
                bars[name] = [a.get_ylabel() for a in fig.axes if a.get_label() == "<colorbar>"]
                axes[name] = (data[0].get_xlim(), data[0].get_ylim(), data[0].get_xlabel(),
                              [line.get_xdata()[0] for line in data[0].lines
                               if line.get_marker() == "*"])
                super().save(fig, name)

        r = Recorder(folder, None)
        r.survey("line")
        self.assertEqual(r.skipped, [])
        gathers = {f"line_shot0{k}_{c}.png" for k in (1, 2) for c in ("vx", "vz")}
        self.assertEqual({p.name for p in (folder / "plots").iterdir()},
                         gathers | {"line_spectra.png"})
        units = "m, for amplitude 1: 1 kN/m or 1 kN m/m, times the wavelet"
        for name in gathers:
            comp = "horizontal displacement u1" if "vx" in name else "vertical displacement u2"
            self.assertEqual(bars[name], [f"{comp}\n({units})"], name)
            xlim, ylim, xlabel, stars = axes[name]
            # metres across (half a spacing beyond the end receivers), time
            # downward to the last sample, the shot where it is
            self.assertEqual((xlim, xlabel), ((-15.0, 185.0), "receiver x (m)"), name)
            self.assertEqual(ylim, ((nt - 0.5) * dt, -0.5 * dt), name)
            self.assertEqual(stars, [shots[int(name[10]) - 1][0]], name)
        red, blue, _ = colour_fractions(folder / "plots" / "line_shot02_vz.png")
        self.assertGreater(red, 0.002)
        self.assertGreater(blue, 0.002)

        # Through the command line: the survey's pictures only, none of a deck run.
        result = plot(folder)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("5 pictures", result.stdout)
        self.assertNotIn("skipped", result.stdout)
        plt.close("all")

    def test_usage_errors(self):
        self.assertEqual(plot(self.root / "nowhere").returncode, 2)
        self.root.joinpath("run").mkdir()
        self.assertEqual(plot(self.root / "run", self.root / "no_deck").returncode, 2)


if __name__ == "__main__":
    unittest.main()
