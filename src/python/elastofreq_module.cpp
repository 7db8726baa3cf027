// The Python face of elastofreq_survey: a model from NumPy arrays, shots and
// receivers as arrays of positions, one call for every shot and frequency,
// the receivers' spectra back as a complex array [shot, receiver, frequency,
// component]. The solve is the survey program's own (driver/survey_run.hpp),
// run with the GIL released; every fault is a ValueError with the program's
// message. Units are the deck's: metres, kHz, velocities in m/ms.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <string>

#include "driver/array_model.hpp"
#include "driver/element_properties.hpp"
#include "model/sampling.hpp"
#include "model/survey_file.hpp"

namespace py = pybind11;
using ef::Complex;

namespace {

using RealArray = py::array_t<double, py::array::c_style | py::array::forcecast>;
using ComplexArray = py::array_t<std::complex<double>, py::array::c_style | py::array::forcecast>;

[[noreturn]] void refuse(const std::string& message) { throw py::value_error(message); }

// A real (ny, nx) array, every value finite and, when `positive`, above zero.
std::vector<double> element_values(const RealArray& a, const char* name, int ny, int nx, bool positive) {
    if (a.ndim() != 2 || a.shape(0) != ny || a.shape(1) != nx)
        refuse(std::string(name) + ": expected shape (" + std::to_string(ny) + ", " + std::to_string(nx) + ")");
    std::vector<double> v(a.data(), a.data() + a.size());
    for (const double x : v) {
        if (!std::isfinite(x)) refuse(std::string(name) + ": not every value is finite");
        if (positive && !(x > 0.0)) refuse(std::string(name) + ": every value must be positive");
    }
    return v;
}

std::vector<Complex> complex_values(const ComplexArray& a, const char* name) {
    std::vector<Complex> v;
    v.reserve(static_cast<std::size_t>(a.size()));
    for (py::ssize_t k = 0; k < a.size(); ++k) {
        const std::complex<double> z = a.data()[k];
        if (!std::isfinite(z.real()) || !std::isfinite(z.imag()))
            refuse(std::string(name) + ": not every value is finite");
        v.push_back(Complex{z.real(), z.imag()});
    }
    return v;
}

// (n, 2) positions inside the model of xsize by ysize metres, its edges included.
std::vector<std::array<double, 2>> positions(const RealArray& a, const char* name, double xsize, double ysize) {
    if (a.ndim() != 2 || a.shape(1) != 2 || a.shape(0) < 1) refuse(std::string(name) + ": expected shape (n, 2), n >= 1");
    std::vector<std::array<double, 2>> v;
    for (py::ssize_t k = 0; k < a.shape(0); ++k) {
        const double x = a.at(k, 0), y = a.at(k, 1);
        if (!(x >= 0.0 && x <= xsize && y >= 0.0 && y <= ysize))
            refuse(std::string(name) + "[" + std::to_string(k) + "]: (" + std::to_string(x) + ", " + std::to_string(y) +
                   ") lies outside the model of " + std::to_string(xsize) + " by " + std::to_string(ysize) + " m");
        v.push_back({x, y});
    }
    return v;
}

ef::ShotKind shot_kind(const std::string& name) {
    for (const ef::ShotKind k : {ef::ShotKind::force_x, ef::ShotKind::force_y, ef::ShotKind::explosion})
        if (ef::shot_kind_name(k) == name) return k;
    refuse("kind '" + name + "': expected force_x, force_y or explosion");
}

// A key of a dict the Python package fills, cast to T.
template <class T>
T item(const py::dict& d, const char* key) {
    if (!d.contains(key)) refuse(std::string("missing ") + key);
    try {
        return d[key].cast<T>();
    } catch (const py::cast_error&) {
        refuse(std::string(key) + ": not of the expected type");
    }
}

// model: h, density, vp, vs, p_modulus, s_modulus (None for moduli from the
// velocities); acquisition: shots, kinds (one per shot), receivers, top, pml_elements,
// pml_reflection; band: df, nf, midpoint, source_spectrum (None for 1 at every frequency).
py::array_t<std::complex<double>> survey(const py::dict& model_items, const py::dict& acquisition,
                                         const py::dict& band_items) {
    const double h = item<double>(model_items, "h");
    const RealArray density = item<RealArray>(model_items, "density");
    const RealArray vp = item<RealArray>(model_items, "vp"), vs = item<RealArray>(model_items, "vs");
    const py::object p_modulus = item<py::object>(model_items, "p_modulus");
    const py::object s_modulus = item<py::object>(model_items, "s_modulus");
    const RealArray shots = item<RealArray>(acquisition, "shots");
    const RealArray receivers = item<RealArray>(acquisition, "receivers");
    const std::vector<std::string> kinds = item<std::vector<std::string>>(acquisition, "kinds");
    const std::string top = item<std::string>(acquisition, "top");
    const int pml_elements = item<int>(acquisition, "pml_elements");
    const double pml_reflection = item<double>(acquisition, "pml_reflection");
    const double df = item<double>(band_items, "df");
    const int nf = item<int>(band_items, "nf");
    const bool midpoint = item<bool>(band_items, "midpoint");
    const py::object source_spectrum = item<py::object>(band_items, "source_spectrum");
    if (density.ndim() != 2) refuse("density: expected a 2-D array (ny, nx)");
    if (!(h > 0.0) || !std::isfinite(h)) refuse("h: the element side must be positive");
    if (!(df > 0.0) || !std::isfinite(df) || nf < 1) refuse("frequencies: need a positive step and count");
    ef::ArrayModel m;
    m.ny = static_cast<int>(density.shape(0));
    m.nx = static_cast<int>(density.shape(1));
    m.h = h;
    m.density = element_values(density, "density", m.ny, m.nx, true);
    m.vp = element_values(vp, "vp", m.ny, m.nx, true);
    m.vs = element_values(vs, "vs", m.ny, m.nx, true);
    const std::size_t cells = m.density.size();
    if (p_modulus.is_none() != s_modulus.is_none()) refuse("p_modulus and s_modulus: give both or neither");
    if (p_modulus.is_none()) {
        for (std::size_t k = 0; k < cells; ++k) {
            m.p_modulus.push_back(Complex{m.density[k] * m.vp[k] * m.vp[k], 0.0});
            m.s_modulus.push_back(Complex{m.density[k] * m.vs[k] * m.vs[k], 0.0});
        }
    } else {
        const ComplexArray pm = p_modulus.cast<ComplexArray>(), sm = s_modulus.cast<ComplexArray>();
        const bool each = pm.ndim() == 3;
        m.moduli_sets = each ? nf : 1;
        for (const ComplexArray* a : {&pm, &sm})
            if (a->ndim() != pm.ndim() || a->ndim() < 2 || a->ndim() > 3 ||
                (each && a->shape(0) != nf) || a->shape(a->ndim() - 2) != m.ny || a->shape(a->ndim() - 1) != m.nx)
                refuse("p_modulus, s_modulus: expected shape (ny, nx) or (nf, ny, nx)");
        m.p_modulus = complex_values(pm, "p_modulus");
        m.s_modulus = complex_values(sm, "s_modulus");
    }
    ef::FrequencyBand band{df, nf, midpoint, {}};
    if (source_spectrum.is_none()) band.source_spectrum.assign(static_cast<std::size_t>(nf), Complex{1.0, 0.0});
    else {
        const ComplexArray s = source_spectrum.cast<ComplexArray>();
        if (s.ndim() != 1 || s.shape(0) != nf) refuse("source_spectrum: expected shape (nf,)");
        band.source_spectrum = complex_values(s, "source_spectrum");
    }
    ef::Survey sv;
    if (top != "free" && top != "absorbing") refuse("top '" + top + "': expected free or absorbing");
    sv.boundaries.free_top = top == "free";
    if (pml_elements < 1) refuse("pml_elements: must be at least 1");
    sv.boundaries.pml_elements = pml_elements;
    sv.boundaries.pml_reflection = pml_reflection;
    const double xsize = m.nx * h, ysize = m.ny * h;
    const auto shot_positions = positions(shots, "shots", xsize, ysize);
    if (kinds.size() != shot_positions.size()) refuse("kind: one name, or one per shot");
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        ef::Shot s;
        s.x = shot_positions[k][0];
        s.y = shot_positions[k][1];
        s.kind = shot_kind(kinds[k]);
        sv.shots.push_back(s);
    }
    for (const auto& p : positions(receivers, "receivers", xsize, ysize)) {
        sv.receiver_x.push_back(p[0]);
        sv.receiver_y.push_back(p[1]);
    }
    const int ns = static_cast<int>(sv.shots.size()), nr = static_cast<int>(sv.receiver_x.size());
    ef::SurveySpectra spectra(ns, nr, nf);
    try {
        py::gil_scoped_release unlocked;
        ef::ArraySurveyModel model(std::move(sv), std::move(m), band);
        ef::SurveySolver solver(model, ef::survey_block_columns());
        ef::check_survey_memory(solver.estimated_megabytes());
        for (int jw = model.params().jw1; jw <= model.params().jw2; ++jw) solver.solve_frequency(jw, spectra);
    } catch (const std::exception& e) {
        refuse(e.what());
    }
    py::array_t<std::complex<double>> out({ns, nr, nf, 2});
    auto o = out.mutable_unchecked<4>();
    for (int s = 0; s < ns; ++s)
        for (int r = 0; r < nr; ++r)
            for (int f = 0; f < nf; ++f) {
                const Complex a = spectra.u1(s, r, f), b = spectra.u2(s, r, f);
                o(s, r, f, 0) = {a.re, a.im};
                o(s, r, f, 1) = {b.re, b.im};
            }
    return out;
}

// A deck's model as the arrays of survey(): what elastofreq_survey solves
// for SURVEY_FILE (read in `folder`, that of the material files), with the
// shots, receivers and boundaries of the survey file.
py::dict read_survey_model(const std::string& survey_file, const std::string& folder) {
    try {
        ef::SurveyModel model(survey_file, ef::BuildLimits{801}, folder);
        const ef::RunParams& p = model.params();
        const ef::RunSetup& run = model.setup();
        const bool midpoint = p.keyqua == 2;
        if (p.jw1 != (midpoint ? 1 : 2))
            refuse(survey_file + ": the deck's band does not start at its first frequency");
        const int nx = p.nx, ny = p.ny, nf = p.jw2 - p.jw1 + 1;
        RealArray density({ny, nx}), vp({ny, nx}), vs({ny, nx});
        ComplexArray pm({nf, ny, nx}), sm({nf, ny, nx}), spectrum({nf});
        for (int j = 1; j <= ny; ++j)
            for (int i = 1; i <= nx; ++i) {
                const int m = p.matnum(i, j);
                const ef::ElasticVelocities v = ef::gassmann_velocities(p, run.moduli, m);
                density.mutable_at(j - 1, i - 1) = run.moduli.densmat[m];
                vp.mutable_at(j - 1, i - 1) = v.vpe;
                vs.mutable_at(j - 1, i - 1) = v.vse;
                for (int f = 0; f < nf; ++f) {
                    const Complex a = run.moduli.p_modulus(m, p.jw1 + f), b = run.moduli.s_modulus(m, p.jw1 + f);
                    pm.mutable_at(f, j - 1, i - 1) = {a.re, a.im};
                    sm.mutable_at(f, j - 1, i - 1) = {b.re, b.im};
                }
            }
        for (int f = 0; f < nf; ++f) {
            const Complex s = p.sour.at(static_cast<std::size_t>(p.jw1 + f));
            spectrum.mutable_at(f) = {s.re, s.im};
        }
        const ef::Survey& sv = model.survey();
        RealArray shots({static_cast<py::ssize_t>(sv.shots.size()), py::ssize_t{2}});
        py::list kinds;
        for (std::size_t k = 0; k < sv.shots.size(); ++k) {
            shots.mutable_at(k, 0) = sv.shots[k].x;
            shots.mutable_at(k, 1) = sv.shots[k].y;
            kinds.append(std::string(ef::shot_kind_name(sv.shots[k].kind)));
        }
        RealArray receivers({static_cast<py::ssize_t>(sv.receiver_x.size()), py::ssize_t{2}});
        for (std::size_t k = 0; k < sv.receiver_x.size(); ++k) {
            receivers.mutable_at(k, 0) = sv.receiver_x[k];
            receivers.mutable_at(k, 1) = sv.receiver_y[k];
        }
        py::dict d;
        d["h"] = p.h;
        d["density"] = density;
        d["vp"] = vp;
        d["vs"] = vs;
        d["p_modulus"] = pm;
        d["s_modulus"] = sm;
        d["df"] = p.delf;
        d["nf"] = nf;
        d["midpoint"] = midpoint;
        d["source_spectrum"] = spectrum;
        d["shots"] = shots;
        d["kinds"] = kinds;
        d["receivers"] = receivers;
        d["top"] = sv.boundaries.free_top ? "free" : "absorbing";
        d["pml_elements"] = sv.boundaries.pml_elements;
        d["pml_reflection"] = sv.boundaries.pml_reflection;
        return d;
    } catch (const py::error_already_set&) {
        throw;
    } catch (const py::builtin_exception&) {
        throw;
    } catch (const std::exception& e) {
        refuse(e.what());
    }
}

}  // namespace

PYBIND11_MODULE(_core, mod) {
    mod.doc() = "2-D P-SV viscoelastic waves in the frequency domain (elastofreq_survey's solver). "
                "Units: metres, kHz, velocities in m/ms, moduli = density * velocity**2.";
    mod.def("survey", &survey, "The receivers' spectra [shot, receiver, frequency, component] "
            "(elastofreq.survey gives the arguments).");
    mod.def("read_survey_model", &read_survey_model, py::arg("survey_file"), py::arg("folder") = ".",
            "A survey file's deck and material files as the arrays of elastofreq.survey.");
}
