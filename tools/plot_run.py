#!/usr/bin/python3
"""Render every picture a finished elastofreq run folder holds.

usage: tools/plot_run.py RUN_DIR [DECK]

Writes PNG files into RUN_DIR/plots/:
  material_map.png       material number of every element (matnum_gnu)
  velocity_map.png       P velocity of every element (square root of vp33_gnu)
  snapshot_NN_vx.png     time-domain snapshots, horizontal component (fort.40 .. fort.49)
  snapshot_NN_vz.png     the same, vertical component (fort.50 .. fort.59)
  gather_vx.png          receiver gathers as variable density with wiggles,
  gather_vz.png            from vx_traces.sgy and vz_traces.sgy
  convergence.png        iterations per frequency number (iter.freq)
  source_wavelet.png     source wavelet before and after the band-pass (source, filtered_source)
  source_spectrum.png    its amplitude spectrum (spectrum, filtered_spectrum; mid-point runs only)

A folder of elastofreq_survey holds NAME_vx.sgy, NAME_vz.sgy and
NAME_spectra.h5 instead; for it the pictures are
  NAME_shotNN_vx.png     one gather per shot and component: variable density
  NAME_shotNN_vz.png       with wiggles, receiver position (m) across, the shot marked
  NAME_spectra.png       amplitude spectra: per shot the RMS of |u1| and |u2| over
                           the receivers, beside the source spectrum (NAME_spectra.h5)

Files the folder lacks are skipped. The receiver line, the source position and
the snapshot times are taken from the headers of the SEG-Y files; the layer
interfaces (edges between elements of different materials) from matnum_gnu.

Units are the deck's: metres, milliseconds, kilohertz, velocities in m/msec
(km/s). Traces and snapshots hold displacement, not particle velocity (the
file names vx, vz notwithstanding): u1 horizontal, u2 vertical and positive
upward, in relative units, scaled by a source wavelet of peak 1. When DECK (the run's input
deck) is given, elastofreq_segy first converts the text traces vx_traces.su and
vz_traces.su into those SEG-Y files.
"""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

DPI = 110

# The colour-bar label of the displacement pictures.
DISPLACEMENT_UNITS = "relative units, source peak 1"
COMPONENTS = {"vx": "horizontal displacement u1", "vz": "vertical displacement u2"}

# A real as the solver writes it; an exponent of three digits may stand
# without its letter ("0.1000-119").
_BARE_EXPONENT = re.compile(r"^([+-]?[0-9.]+)([+-][0-9]+)$")


def fortran_float(text):
    text = text.strip()
    try:
        return float(text)
    except ValueError:
        m = _BARE_EXPONENT.match(text)
        if m:
            return float(m.group(1) + "E" + m.group(2))
        raise


def read_columns(path, ncols):
    """Rows of the first ncols numbers of every non-empty line; None if the file
    is missing or empty."""
    try:
        lines = Path(path).read_text().splitlines()
    except OSError:
        return None
    rows = []
    for line in lines:
        tokens = line.replace(",", " ").split()
        if len(tokens) < ncols:
            continue
        rows.append([fortran_float(t) for t in tokens[:ncols]])
    if not rows:
        return None
    return np.array(rows, dtype=float)


def grid_from_records(records):
    """An (ny, nx) array from i, j, value records (1-based element indices)."""
    i = records[:, 0].astype(int)
    j = records[:, 1].astype(int)
    grid = np.full((j.max(), i.max()), np.nan)
    grid[j - 1, i - 1] = records[:, 2]
    return grid


class Geometry:
    """Element size, source and receivers, as far as the run folder tells."""

    def __init__(self):
        self.h = None
        self.source = None  # (x, y) in metres
        self.receivers = None  # (rx array, ry array) in metres
        self.dt = None  # msec
        self.nt = None
        self.snapshot_times = []  # msec, snapshot 1, 2, ...

    @staticmethod
    def from_run(run_dir):
        g = Geometry()
        sgy = run_dir / "vx_traces.sgy"
        if not sgy.exists():
            sgy = run_dir / "vz_traces.sgy"
        if sgy.exists():
            g._read_segy(sgy)
        if g.h is None:
            g._read_slice(run_dir / "slice_matnum_math")
        return g

    def _read_segy(self, path):
        try:
            import segyio
        except ImportError:
            print("plot_run: python3-segyio is missing; no receiver or source positions")
            return
        try:
            with segyio.open(str(path), ignore_geometry=True) as f:
                text = bytes(f.text[0]).decode("ascii", "replace")
                m = re.search(r"SIDE H = (\S+) M", text)
                if m:
                    self.h = float(m.group(1))
                for line in re.findall(r"SNAPSHOT TIMES \(MSEC\):([^C]*)", text):
                    self.snapshot_times += [float(v) for v in line.split()]
                m = re.search(r"DT = (\S+) MSEC", text)
                self.dt = float(m.group(1)) if m else f.bin[segyio.BinField.Interval] / 1000.0
                self.nt = len(f.samples)
                rx, ry = [], []
                for header in f.header:
                    scale = _scale(header[segyio.TraceField.SourceGroupScalar])
                    rx.append(header[segyio.TraceField.GroupX] * scale)
                    ry.append(header[segyio.TraceField.GroupY] * scale)
                    self.source = (header[segyio.TraceField.SourceX] * scale,
                                   header[segyio.TraceField.SourceY] * scale)
                self.receivers = (np.array(rx), np.array(ry))
        except (OSError, RuntimeError, ValueError) as e:
            print(f"plot_run: cannot read {path.name}: {e}")

    def _read_slice(self, path):
        # (J-1)*h for every element row J: the second row gives h.
        rows = read_columns(path, 2)
        if rows is not None and len(rows) >= 2 and rows[1, 0] > 0:
            self.h = rows[1, 0]


def _scale(scalar):
    if scalar < 0:
        return 1.0 / -scalar
    if scalar > 0:
        return float(scalar)
    return 1.0


def find_segy_program():
    candidates = []
    if os.environ.get("ELASTOFREQ_BIN_DIR"):
        candidates.append(Path(os.environ["ELASTOFREQ_BIN_DIR"]) / "elastofreq_segy")
    candidates.append(Path(__file__).resolve().parent.parent / "build" / "elastofreq_segy")
    for c in candidates:
        if c.is_file() and os.access(c, os.X_OK):
            return str(c)
    return shutil.which("elastofreq_segy")


def convert_traces(run_dir, deck):
    if not ((run_dir / "vx_traces.su").exists() and (run_dir / "vz_traces.su").exists()):
        print("plot_run: no text traces to convert")
        return
    program = find_segy_program()
    if program is None:
        print("plot_run: elastofreq_segy not found (build it, or set ELASTOFREQ_BIN_DIR)")
        return
    with open(deck, "rb") as stdin:
        result = subprocess.run([program], cwd=run_dir, stdin=stdin,
                                capture_output=True, text=True)
    sys.stdout.write(result.stdout)
    if result.returncode != 0:
        sys.stdout.write(result.stderr)
        print("plot_run: the traces were not converted; gathers come from any older .sgy files")


class Renderer:
    def __init__(self, run_dir, geometry):
        self.run_dir = run_dir
        self.out_dir = run_dir / "plots"
        self.geometry = geometry
        self.written = []
        self.skipped = []

    def save(self, fig, name):
        self.out_dir.mkdir(exist_ok=True)
        path = self.out_dir / name
        fig.savefig(path, dpi=DPI, bbox_inches="tight")
        plt.close(fig)
        self.written.append(path)

    def skip(self, what, why):
        self.skipped.append(f"{what}: {why}")

    # -- maps over the element grid

    def _extent(self, grid):
        ny, nx = grid.shape
        h = self.geometry.h
        if h is None:
            return [0.5, nx + 0.5, 0.5, ny + 0.5], "element column", "element row"
        return [0.0, nx * h, 0.0, ny * h], "x (m)", "y (m)"

    def _map_axes(self, grid, title):
        ny, nx = grid.shape
        aspect = ny / nx if nx else 1.0
        fig, ax = plt.subplots(figsize=(8.0, max(2.5, min(8.0, 8.0 * aspect)) + 1.0))
        extent, xlabel, ylabel = self._extent(grid)
        ax.set_xlabel(xlabel)
        ax.set_ylabel(ylabel)
        ax.set_title(title, pad=20)
        return fig, ax, extent

    def _mark_survey(self, ax):
        g = self.geometry
        if g.h is None:
            return
        if g.receivers is not None:
            ax.plot(g.receivers[0], g.receivers[1], "v", color="black", markersize=4,
                    markerfacecolor="none", linestyle="-", linewidth=0.6, label="receivers")
        if g.source is not None:
            ax.plot([g.source[0]], [g.source[1]], "*", color="gold", markeredgecolor="black",
                    markersize=14, label="source")
        if g.receivers is not None or g.source is not None:
            # above the top right corner, outside the data (the title is
            # lifted to make room)
            ax.legend(loc="lower right", bbox_to_anchor=(1.0, 1.0), ncol=3, fontsize=8,
                      frameon=False, borderaxespad=0.2)

    def _interfaces(self, ax, grid, extent):
        """Draws the edges between elements of different materials (matnum_gnu)
        over a picture of the same element grid."""
        try:
            records = read_columns(self.run_dir / "matnum_gnu", 3)
        except ValueError:
            return  # a damaged map: the picture goes without them
        if records is None:
            return
        materials = grid_from_records(records)
        if materials.shape != grid.shape:
            return
        ny, nx = materials.shape
        x0, x1, y0, y1 = extent
        dx, dy = (x1 - x0) / nx, (y1 - y0) / ny
        segments = []
        for j, i in zip(*np.nonzero(materials[:, 1:] != materials[:, :-1])):
            x = x0 + (i + 1) * dx
            segments.append([(x, y0 + j * dy), (x, y0 + (j + 1) * dy)])
        for j, i in zip(*np.nonzero(materials[1:, :] != materials[:-1, :])):
            y = y0 + (j + 1) * dy
            segments.append([(x0 + i * dx, y), (x0 + (i + 1) * dx, y)])
        if segments:
            from matplotlib.collections import LineCollection
            ax.add_collection(LineCollection(segments, colors="dimgray", linewidths=0.8,
                                             linestyles="dashed", label="layer interfaces"))

    def material_map(self):
        records = read_columns(self.run_dir / "matnum_gnu", 3)
        if records is None:
            return self.skip("material map", "matnum_gnu missing or empty")
        grid = grid_from_records(records)
        fig, ax, extent = self._map_axes(grid, "Material map (matnum_gnu)")
        materials = np.unique(grid[~np.isnan(grid)]).astype(int)
        cmap = plt.get_cmap("tab20", max(len(materials), 1))
        index = np.searchsorted(materials, np.nan_to_num(grid, nan=materials[0]))
        im = ax.imshow(index, origin="lower", extent=extent, cmap=cmap,
                       vmin=-0.5, vmax=len(materials) - 0.5, interpolation="nearest")
        bar = fig.colorbar(im, ax=ax, ticks=range(len(materials)), shrink=0.8)
        bar.ax.set_yticklabels([str(m) for m in materials])
        bar.set_label("material number (no unit)")
        self._mark_survey(ax)
        self.save(fig, "material_map.png")

    def velocity_map(self):
        records = read_columns(self.run_dir / "vp33_gnu", 3)
        if records is None:
            return self.skip("velocity map", "vp33_gnu missing or empty")
        grid = grid_from_records(records)
        with np.errstate(invalid="ignore"):
            vp = np.sqrt(np.where(grid >= 0, grid, np.nan))
        fig, ax, extent = self._map_axes(vp, "P velocity at the highest frequency (vp33_gnu)")
        im = ax.imshow(vp, origin="lower", extent=extent, cmap="viridis",
                       interpolation="nearest")
        fig.colorbar(im, ax=ax, shrink=0.8).set_label("P velocity (m/msec = km/s)")
        self._interfaces(ax, vp, extent)
        self._mark_survey(ax)
        self.save(fig, "velocity_map.png")

    def snapshots(self):
        found = 0
        for k in range(1, 11):
            for unit, comp in ((39 + k, "vx"), (49 + k, "vz")):
                records = read_columns(self.run_dir / f"fort.{unit}", 3)
                if records is None:
                    continue
                found += 1
                grid = grid_from_records(records)
                finite = np.abs(grid[np.isfinite(grid)])
                vmax = np.percentile(finite, 99.5) if finite.size else 0.0
                if not vmax > 0:
                    vmax = finite.max() if finite.size and finite.max() > 0 else 1.0
                times = self.geometry.snapshot_times
                when = f" at t = {times[k - 1]:.4g} msec" if k <= len(times) else ""
                fig, ax, extent = self._map_axes(
                    grid, f"Snapshot {k}{when}, {COMPONENTS[comp]} (fort.{unit})")
                im = ax.imshow(grid, origin="lower", extent=extent, cmap="seismic",
                               vmin=-vmax, vmax=vmax, interpolation="nearest")
                fig.colorbar(im, ax=ax, shrink=0.8).set_label(
                    f"{COMPONENTS[comp]}\n({DISPLACEMENT_UNITS}; clipped at 99.5 % of |u|)")
                self._interfaces(ax, grid, extent)
                self._mark_survey(ax)
                self.save(fig, f"snapshot_{k:02d}_{comp}.png")
        if found == 0:
            self.skip("snapshots", "no fort.40 .. fort.59")

    # -- traces

    def gathers(self):
        try:
            import segyio
        except ImportError:
            return self.skip("gathers", "python3-segyio is missing")
        for comp, label in COMPONENTS.items():
            path = self.run_dir / f"{comp}_traces.sgy"
            if not path.exists():
                self.skip(f"gather {comp}", f"{path.name} missing (give the deck to convert "
                          f"{comp}_traces.su)")
                continue
            with segyio.open(str(path), ignore_geometry=True) as f:
                data = np.asarray(f.trace.raw[:], dtype=float)
            if data.ndim != 2 or data.size == 0:
                self.skip(f"gather {comp}", f"{path.name} holds no traces")
                continue
            nrec, nt = data.shape
            dt = self.geometry.dt or 1.0
            t = np.arange(nt) * dt
            clip = np.percentile(np.abs(data), 99.5)
            if not clip > 0:
                clip = np.abs(data).max() or 1.0
            fig, ax = plt.subplots(figsize=(max(6.0, min(14.0, 0.12 * nrec + 4.0)), 7.0))
            im = ax.imshow(data.T, aspect="auto", cmap="seismic", vmin=-clip, vmax=clip,
                           extent=[0.5, nrec + 0.5, t[-1] + 0.5 * dt, -0.5 * dt],
                           interpolation="nearest")
            fig.colorbar(im, ax=ax, shrink=0.8).set_label(f"{label} ({DISPLACEMENT_UNITS})")
            scale = 0.5 / clip  # a clipped sample swings half a trace spacing
            for k in range(nrec):
                x = k + 1 + np.clip(data[k], -clip, clip) * scale
                ax.plot(x, t, color="black", linewidth=0.5)
                ax.fill_betweenx(t, k + 1, x, where=x > k + 1, color="black", linewidth=0)
            ax.set_xlim(0.5, nrec + 0.5)
            ax.set_ylim(t[-1] + 0.5 * dt, -0.5 * dt)
            ax.set_xlabel("receiver number")
            ax.set_ylabel("time (msec)" if self.geometry.dt else "sample")
            self._receiver_positions(ax, nrec)
            ax.set_title(f"Receiver gather, {label} ({path.name})", pad=12)
            self.save(fig, f"gather_{comp}.png")

    def _receiver_positions(self, ax, nrec):
        """A second axis on top with the receivers' x (m), or their y along a
        vertical line; the receivers are evenly spaced, so the two axes map
        linearly."""
        g = self.geometry
        if g.receivers is None or len(g.receivers[0]) != nrec or nrec < 2:
            return
        for name, pos in (("x", g.receivers[0]), ("y", g.receivers[1])):
            first, step = pos[0], (pos[-1] - pos[0]) / (nrec - 1)
            if step != 0:
                top = ax.secondary_xaxis("top", functions=(lambda k: first + (k - 1) * step,
                                                           lambda v: 1 + (v - first) / step))
                top.set_xlabel(f"receiver {name} (m)")
                return

    # -- logs and source

    def convergence(self):
        rows = read_columns(self.run_dir / "iter.freq", 2)
        if rows is None:
            return self.skip("convergence", "iter.freq missing or empty")
        fig, ax = plt.subplots(figsize=(8.0, 4.5))
        ax.plot(rows[:, 0], rows[:, 1], "o-", markersize=3, linewidth=0.8)
        ax.set_xlabel("frequency number jw")
        ax.set_ylabel("outer iterations")
        ax.set_title("Iterations per frequency (iter.freq; swept from the highest down)")
        ax.grid(True, alpha=0.3)
        self.save(fig, "convergence.png")

    def _two_curves(self, names, title, xlabel, ylabel, out):
        curves = []
        for name, style in zip(names, ("-", "--")):
            rows = read_columns(self.run_dir / name, 2)
            if rows is not None:
                curves.append((name, style, rows))
        if not curves:
            return self.skip(title, f"{' and '.join(names)} missing or empty")
        fig, ax = plt.subplots(figsize=(8.0, 4.5))
        for name, style, rows in curves:
            ax.plot(rows[:, 0], rows[:, 1], style, linewidth=1.0, label=name)
        ax.set_xlabel(xlabel)
        ax.set_ylabel(ylabel)
        ax.set_title(title)
        ax.grid(True, alpha=0.3)
        ax.legend()
        self.save(fig, out)

    def source(self):
        self._two_curves(("source", "filtered_source"), "Source wavelet", "time (msec)",
                         "amplitude (peak 1)", "source_wavelet.png")
        self._two_curves(("spectrum", "filtered_spectrum"), "Source amplitude spectrum",
                         "frequency (kHz)", "|spectrum|", "source_spectrum.png")


# -- the outputs of elastofreq_survey

# The colour-bar label of the survey's traces: the solver's units (m, ms,
# kN), a shot of amplitude 1 being a line load of 1 kN/m (a force) or 1 kN m/m
# (a moment) along the third axis, shaped by the deck's wavelet.
SURVEY_UNITS = "m, for amplitude 1: 1 kN/m or 1 kN m/m, times the wavelet"
SURVEY_SUFFIXES = ("_vx.sgy", "_vz.sgy", "_spectra.h5")


def survey_names(run_dir):
    """The NAMEs of the NAME_vx.sgy, NAME_vz.sgy and NAME_spectra.h5 files in the folder."""
    names = set()
    for path in run_dir.iterdir():
        for suffix in SURVEY_SUFFIXES:
            if path.name.endswith(suffix) and len(path.name) > len(suffix):
                names.add(path.name[:-len(suffix)])
    return sorted(names)


def read_survey_segy(path):
    """Shot records of a survey SEG-Y file: (dt in msec, list of records), each
    record (shot number, shot (x, y), receiver x array, receiver y array,
    traces [receiver][sample])."""
    import segyio
    with segyio.open(str(path), ignore_geometry=True) as f:
        text = bytes(f.text[0]).decode("ascii", "replace")
        m = re.search(r"DT = (\S+) MSEC", text)  # exact; the binary header has whole us
        dt = float(m.group(1)) if m else f.bin[segyio.BinField.Interval] / 1000.0
        data = np.asarray(f.trace.raw[:], dtype=float).reshape(f.tracecount, -1)
        records = {}
        for k, header in enumerate(f.header):
            scale = _scale(header[segyio.TraceField.SourceGroupScalar])
            shot = header[segyio.TraceField.FieldRecord]
            rec = records.setdefault(shot, {"source": (header[segyio.TraceField.SourceX] * scale,
                                                       header[segyio.TraceField.SourceY] * scale),
                                            "x": [], "y": [], "traces": []})
            rec["x"].append(header[segyio.TraceField.GroupX] * scale)
            rec["y"].append(header[segyio.TraceField.GroupY] * scale)
            rec["traces"].append(data[k])
    return dt, [(shot, r["source"], np.array(r["x"]), np.array(r["y"]), np.array(r["traces"]))
                for shot, r in sorted(records.items())]


class SurveyRenderer(Renderer):
    def survey(self, name):
        for comp, label in COMPONENTS.items():
            path = self.run_dir / f"{name}_{comp}.sgy"
            if not path.exists():
                self.skip(f"{name} gathers {comp}", f"{path.name} missing")
                continue
            try:
                import segyio  # noqa: F401
            except ImportError:
                return self.skip(f"{name} gathers", "python3-segyio is missing")
            dt, records = read_survey_segy(path)
            if not records:
                self.skip(f"{name} gathers {comp}", f"{path.name} holds no traces")
            for shot, source, rx, ry, traces in records:
                self.shot_gather(f"{name}_shot{shot:02d}_{comp}.png", (shot, source, rx, ry),
                                 traces, dt, (label, path.name))
        spectra = self.run_dir / f"{name}_spectra.h5"
        if spectra.exists():
            self.survey_spectra(spectra, f"{name}_spectra.png")
        else:
            self.skip(f"{name} spectra", f"{spectra.name} missing")

    def shot_gather(self, out, where, traces, dt, names):
        """Variable density with wiggles over the receivers' positions: x, or y
        along a vertical line; the shot marked above the first sample."""
        shot, source, rx, ry = where
        axis, pos, shot_pos = ("x", rx, source[0]) if np.ptp(rx) > 0 or np.ptp(ry) == 0 \
            else ("y", ry, source[1])
        order = np.argsort(pos, kind="stable")
        pos, traces = pos[order], traces[order]
        nt = traces.shape[1]
        t = np.arange(nt) * dt
        gaps = np.diff(pos)
        spacing = np.median(gaps[gaps > 0]) if np.any(gaps > 0) else 1.0
        edges = np.concatenate(([pos[0] - spacing / 2], (pos[1:] + pos[:-1]) / 2,
                                [pos[-1] + spacing / 2]))
        clip = np.percentile(np.abs(traces), 99.5)
        if not clip > 0:
            clip = np.abs(traces).max() or 1.0
        fig, ax = plt.subplots(figsize=(max(6.0, min(14.0, 0.1 * len(pos) + 4.0)), 7.0))
        tedges = np.concatenate(([-0.5 * dt], t + 0.5 * dt))
        im = ax.pcolormesh(edges, tedges, traces.T, cmap="seismic", vmin=-clip, vmax=clip,
                           shading="flat", rasterized=True)
        label, file_name = names
        fig.colorbar(im, ax=ax, shrink=0.8).set_label(f"{label}\n({SURVEY_UNITS})")
        scale = 0.5 * spacing / clip  # a clipped sample swings half a receiver spacing
        for p, trace in zip(pos, traces):
            w = p + np.clip(trace, -clip, clip) * scale
            ax.plot(w, t, color="black", linewidth=0.4)
            ax.fill_betweenx(t, p, w, where=w > p, color="black", linewidth=0)
        ax.set_xlim(edges[0], edges[-1])
        ax.set_ylim(tedges[-1], tedges[0])
        ax.plot([shot_pos], [tedges[0]], "*", color="gold", markeredgecolor="black",
                markersize=16, clip_on=False, zorder=5, label=f"shot {shot}")
        ax.axvline(shot_pos, color="dimgray", linestyle=":", linewidth=0.8)
        ax.set_xlabel(f"receiver {axis} (m)")
        ax.set_ylabel("time (msec)")
        ax.set_title(f"Shot {shot} at ({source[0]:.6g}, {source[1]:.6g}) m: {label} ({file_name})",
                     pad=16)
        self.save(fig, out)

    def survey_spectra(self, path, out):
        import h5py
        with h5py.File(path, "r") as f:
            f_hz = 1000.0 * f["frequency_khz"][()]
            u = {comp: np.abs(f["u1" if comp == "vx" else "u2"][()]) for comp in COMPONENTS}
            source = np.abs(f["source_spectrum"][()]) if "source_spectrum" in f else None
        fig, axes = plt.subplots(1, 2, figsize=(12.0, 4.5), sharey=True)
        for ax, (comp, label) in zip(axes, COMPONENTS.items()):
            rms = np.sqrt(np.mean(u[comp] ** 2, axis=1))  # [shot][frequency]
            for k, row in enumerate(rms):
                ax.semilogy(f_hz, row, "o-", markersize=2.5, linewidth=0.9, label=f"shot {k + 1}")
            ax.set_xlabel("frequency (Hz)")
            ax.set_title(f"{label}: RMS of |U| over the receivers", fontsize=10)
            ax.grid(True, alpha=0.3)
        units = SURVEY_UNITS.replace(", times", ",\ntimes")
        axes[0].set_ylabel(f"|U| ({units})")
        if source is not None:
            twin = axes[1].twinx()
            twin.plot(f_hz, source, "--", color="dimgray", linewidth=1.0, label="source spectrum")
            twin.set_ylabel("|source spectrum| (wavelet of peak 1)")
            twin.legend(loc="upper right", fontsize=8)
        axes[0].legend(fontsize=8)
        fig.suptitle(f"Amplitude spectra ({path.name})")
        self.save(fig, out)


def main(argv):
    if len(argv) not in (2, 3) or argv[1] in ("-h", "--help"):
        sys.stderr.write(__doc__)
        return 2
    run_dir = Path(argv[1])
    if not run_dir.is_dir():
        sys.stderr.write(f"plot_run: {run_dir} is not a directory\n")
        return 2
    if len(argv) == 3:
        deck = Path(argv[2])
        if not deck.is_file():
            sys.stderr.write(f"plot_run: deck {deck} not found\n")
            return 2
        convert_traces(run_dir, deck.resolve())

    names = survey_names(run_dir)
    if names:
        r = SurveyRenderer(run_dir, None)
        steps = [(f"survey {name}", lambda name=name: r.survey(name)) for name in names]
    else:
        r = Renderer(run_dir, Geometry.from_run(run_dir))
        steps = [("material map", r.material_map), ("velocity map", r.velocity_map),
                 ("snapshots", r.snapshots), ("gathers", r.gathers),
                 ("convergence", r.convergence), ("source", r.source)]
    for what, step in steps:
        try:
            step()
        except (OSError, ValueError, IndexError, RuntimeError) as e:
            plt.close("all")
            r.skip(what, f"unreadable ({e})")
    for path in r.written:
        print(f"plot_run: wrote {path}")
    for note in r.skipped:
        print(f"plot_run: skipped {note}")
    print(f"plot_run: {len(r.written)} pictures in {r.out_dir}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
