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
#include "driver/survey_gradient.hpp"
#include "model/liu_moduli.hpp"
#include "model/sampling.hpp"
#include "output/survey_hdf5.hpp"
#include "output/survey_traces.hpp"
#include "common/constants.hpp"
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
    for (const ef::ShotKind k :
         {ef::ShotKind::force_x, ef::ShotKind::force_y, ef::ShotKind::explosion, ef::ShotKind::moment})
        if (ef::shot_kind_name(k) == name) return k;
    refuse("kind '" + name + "': expected force_x, force_y, explosion or moment");
}

// One shot's kind as survey() takes it: a name ("force_x", "force_y",
// "explosion"), or a dict with the keys of a [[shots]] table of the survey
// file: kind, amplitude (1), and for kind "moment" mxx, myy, mxy (0).
void set_shot_kind(const py::handle& given, std::size_t k, ef::Shot& s) {
    const std::string where = "kind[" + std::to_string(k) + "]";
    if (py::isinstance<py::str>(given)) {
        s.kind = shot_kind(given.cast<std::string>());
        if (s.kind == ef::ShotKind::moment)
            refuse(where + ": a moment needs its components: {'kind': 'moment', 'mxx': .., 'myy': .., 'mxy': ..}");
        return;
    }
    if (!py::isinstance<py::dict>(given)) refuse(where + ": expected a name or a dict");
    const py::dict d = given.cast<py::dict>();
    for (const auto& [key, value] : d) {
        const std::string name = key.cast<std::string>();
        if (name != "kind" && name != "amplitude" && name != "mxx" && name != "myy" && name != "mxy")
            refuse(where + ": unknown key '" + name + "' (kind, amplitude, mxx, myy, mxy)");
    }
    if (!d.contains("kind")) refuse(where + ": missing kind");
    s.kind = shot_kind(d["kind"].cast<std::string>());
    auto number = [&](const char* key, double fallback) {
        if (!d.contains(key)) return fallback;
        double v = 0.0;
        try {
            v = d[key].cast<double>();
        } catch (const py::cast_error&) {
            refuse(where + "." + key + ": expected a number");
        }
        if (!std::isfinite(v)) refuse(where + "." + key + ": not a finite number");
        return v;
    };
    s.amplitude = number("amplitude", 1.0);
    const bool moment = s.kind == ef::ShotKind::moment;
    for (const char* key : {"mxx", "myy", "mxy"})
        if (!moment && d.contains(key)) refuse(where + "." + key + ": only a moment has components");
    s.mxx = number("mxx", 0.0);
    s.myy = number("myy", 0.0);
    s.mxy = number("mxy", 0.0);
}

// A key of one of the dicts survey() fills, cast to T.
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
std::unique_ptr<ef::ArraySurveyModel> model_of_items(const py::dict& model_items, const py::dict& acquisition,
                                                    const py::dict& band_items) {
    const double h = item<double>(model_items, "h");
    const RealArray density = item<RealArray>(model_items, "density");
    const RealArray vp = item<RealArray>(model_items, "vp"), vs = item<RealArray>(model_items, "vs");
    const py::object p_modulus = item<py::object>(model_items, "p_modulus");
    const py::object s_modulus = item<py::object>(model_items, "s_modulus");
    const RealArray shots = item<RealArray>(acquisition, "shots");
    const RealArray receivers = item<RealArray>(acquisition, "receivers");
    const py::list kinds = item<py::list>(acquisition, "kinds");
    const std::string top = item<std::string>(acquisition, "top");
    const std::string absorbing = item<std::string>(acquisition, "absorbing");
    const int pml_elements = item<int>(acquisition, "pml_elements");
    const double pml_reflection = item<double>(acquisition, "pml_reflection");
    const double pml_velocity = item<double>(acquisition, "pml_velocity");
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
    if (absorbing != "pml" && absorbing != "first-order")
        refuse("absorbing '" + absorbing + "': expected pml or first-order");
    sv.boundaries.absorbing =
        absorbing == "pml" ? ef::AbsorbingBoundary::pml : ef::AbsorbingBoundary::first_order;
    if (absorbing == "pml" && pml_elements < 1) refuse("pml_elements: must be at least 1");
    sv.boundaries.pml_elements = absorbing == "pml" ? pml_elements : 0;
    sv.boundaries.pml_reflection = pml_reflection;
    if (!(pml_velocity >= 0.0) || !std::isfinite(pml_velocity))
        refuse("pml_velocity: a velocity must be positive (0 or absent: the fastest on the borders)");
    sv.boundaries.pml_velocity = pml_velocity;
    const double xsize = m.nx * h, ysize = m.ny * h;
    const auto shot_positions = positions(shots, "shots", xsize, ysize);
    if (kinds.size() != shot_positions.size()) refuse("kind: one name, or one per shot");
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        ef::Shot s;
        s.x = shot_positions[k][0];
        s.y = shot_positions[k][1];
        set_shot_kind(kinds[k], k, s);
        sv.shots.push_back(s);
    }
    for (const auto& p : positions(receivers, "receivers", xsize, ysize)) {
        sv.receiver_x.push_back(p[0]);
        sv.receiver_y.push_back(p[1]);
    }
    return std::make_unique<ef::ArraySurveyModel>(std::move(sv), std::move(m), band);
}

py::array_t<std::complex<double>> survey_items(const py::dict& model_items, const py::dict& acquisition,
                                               const py::dict& band_items) {
    const std::unique_ptr<ef::ArraySurveyModel> model = model_of_items(model_items, acquisition, band_items);
    const int ns = static_cast<int>(model->survey().shots.size());
    const int nr = static_cast<int>(model->survey().receiver_x.size());
    const int nf = model->params().jw2 - model->params().jw1 + 1;
    ef::SurveySpectra spectra(ns, nr, nf);
    try {
        py::gil_scoped_release unlocked;
        ef::SurveySolver solver(*model, ef::survey_block_columns());
        ef::check_survey_memory(solver.estimated_megabytes());
        for (int jw = model->params().jw1; jw <= model->params().jw2; ++jw) solver.solve_frequency(jw, spectra);
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
        const ef::ArrayModel a = ef::array_model_of(model);
        const ef::FrequencyBand band = ef::band_of(model);
        const int nx = a.nx, ny = a.ny, nf = band.count;
        RealArray density({ny, nx}), vp({ny, nx}), vs({ny, nx});
        ComplexArray pm({nf, ny, nx}), sm({nf, ny, nx}), spectrum({nf});
        std::copy(a.density.begin(), a.density.end(), density.mutable_data());
        std::copy(a.vp.begin(), a.vp.end(), vp.mutable_data());
        std::copy(a.vs.begin(), a.vs.end(), vs.mutable_data());
        for (std::size_t k = 0; k < a.p_modulus.size(); ++k) {
            pm.mutable_data()[k] = {a.p_modulus[k].re, a.p_modulus[k].im};
            sm.mutable_data()[k] = {a.s_modulus[k].re, a.s_modulus[k].im};
        }
        for (int f = 0; f < nf; ++f) {
            const Complex s = band.source_spectrum[static_cast<std::size_t>(f)];
            spectrum.mutable_at(f) = {s.re, s.im};
        }
        const ef::Survey& sv = model.survey();
        RealArray shots({static_cast<py::ssize_t>(sv.shots.size()), py::ssize_t{2}});
        py::list kinds;
        for (std::size_t k = 0; k < sv.shots.size(); ++k) {
            shots.mutable_at(k, 0) = sv.shots[k].x;
            shots.mutable_at(k, 1) = sv.shots[k].y;
            const ef::Shot& shot = sv.shots[k];
            const std::string name(ef::shot_kind_name(shot.kind));
            using namespace pybind11::literals;
            if (shot.kind == ef::ShotKind::moment)
                kinds.append(py::dict("kind"_a = name, "amplitude"_a = shot.amplitude, "mxx"_a = shot.mxx,
                                      "myy"_a = shot.myy, "mxy"_a = shot.mxy));
            else if (shot.amplitude != 1.0)
                kinds.append(py::dict("kind"_a = name, "amplitude"_a = shot.amplitude));
            else
                kinds.append(name);
        }
        RealArray receivers({static_cast<py::ssize_t>(sv.receiver_x.size()), py::ssize_t{2}});
        for (std::size_t k = 0; k < sv.receiver_x.size(); ++k) {
            receivers.mutable_at(k, 0) = sv.receiver_x[k];
            receivers.mutable_at(k, 1) = sv.receiver_y[k];
        }
        using namespace pybind11::literals;
        const py::dict d("h"_a = a.h, "density"_a = density, "vp"_a = vp, "vs"_a = vs,
                         "p_modulus"_a = pm, "s_modulus"_a = sm, "df"_a = band.step_khz, "nf"_a = nf,
                         "midpoint"_a = band.midpoint, "source_spectrum"_a = spectrum, "shots"_a = shots,
                         "kinds"_a = kinds, "receivers"_a = receivers,
                         "top"_a = sv.boundaries.free_top ? "free" : "absorbing",
                         "absorbing"_a = sv.boundaries.absorbing == ef::AbsorbingBoundary::pml
                                             ? "pml"
                                             : "first-order",
                         "pml_elements"_a = sv.boundaries.pml_elements,
                         "pml_reflection"_a = sv.boundaries.pml_reflection,
                         "pml_velocity"_a = sv.boundaries.pml_velocity);
        return d;
    } catch (const py::error_already_set&) {
        throw;
    } catch (const py::builtin_exception&) {
        throw;
    } catch (const std::exception& e) {
        refuse(e.what());
    }
}

// The rock on the element grid, as Model(...) in Python keeps it.
struct Model {
    py::dict items;
};

Model make_model(double h, const py::object& density, const py::object& vp, const py::object& vs,
                 const py::object& p_modulus, const py::object& s_modulus) {
    Model m;
    m.items["h"] = h;
    m.items["density"] = density;
    m.items["vp"] = vp;
    m.items["vs"] = vs;
    m.items["p_modulus"] = p_modulus;
    m.items["s_modulus"] = s_modulus;
    return m;
}

RealArray position_array(const py::object& positions, const char* name) {
    RealArray a = RealArray::ensure(positions);
    if (!a) {
        PyErr_Clear();
        refuse(std::string(name) + ": expected an array of (x, y) positions");
    }
    return a;
}

// The arguments of survey() as the dicts survey_items() reads: kind one name
// or one per shot, boundaries a dict or None, frequencies (df, nf) or
// (df, nf, midpoint).
std::pair<py::dict, py::dict> acquisition_and_band(const py::object& shots, const py::object& receivers,
                                                   const py::tuple& frequencies, const py::object& kind,
                                                   const py::object& boundaries, const py::object& source_spectrum) {
    py::dict acquisition, band;
    const RealArray shot_array = position_array(shots, "shots");
    acquisition["shots"] = shot_array;
    acquisition["receivers"] = position_array(receivers, "receivers");
    py::list kinds;
    if (py::isinstance<py::str>(kind) || py::isinstance<py::dict>(kind)) {
        for (py::ssize_t k = 0; k < (shot_array.ndim() == 2 ? shot_array.shape(0) : 0); ++k) kinds.append(kind);
    } else {
        kinds = py::list(kind);
    }
    acquisition["kinds"] = kinds;
    acquisition["top"] = "free";
    acquisition["absorbing"] = "pml";
    acquisition["pml_elements"] = 20;
    acquisition["pml_reflection"] = 1e-3;
    acquisition["pml_velocity"] = 0.0;
    if (!boundaries.is_none())
        for (const auto& [key, value] : boundaries.cast<py::dict>()) {
            const std::string name = key.cast<std::string>();
            if (name != "top" && name != "absorbing" && name != "pml_elements" && name != "pml_reflection" &&
                name != "pml_velocity")
                refuse("boundaries: unknown key '" + name +
                       "' (top, absorbing, pml_elements, pml_reflection, pml_velocity)");
            acquisition[key] = value;
        }
    if (frequencies.size() != 2 && frequencies.size() != 3)
        refuse("frequencies: expected (df, nf) or (df, nf, midpoint)");
    band["df"] = frequencies[0];
    band["nf"] = frequencies[1];
    band["midpoint"] = frequencies.size() == 3 ? py::object(frequencies[2]) : py::object(py::bool_(false));
    band["source_spectrum"] = source_spectrum;
    return {acquisition, band};
}

py::array_t<std::complex<double>> survey_call(const Model& model, const py::object& shots,
                                              const py::object& receivers, const py::tuple& frequencies,
                                              const py::object& kind, const py::object& boundaries,
                                              const py::object& source_spectrum) {
    const auto [acquisition, band] =
        acquisition_and_band(shots, receivers, frequencies, kind, boundaries, source_spectrum);
    return survey_items(model.items, acquisition, band);
}

py::array_t<std::complex<double>> field_call(const Model& model, const py::object& shot, int frequency,
                                             const py::tuple& frequencies, const py::object& kind,
                                             const py::object& boundaries) {
    py::list position;  // the shot, and a receiver there that nothing reads
    position.append(shot);
    const auto [acquisition, band] = acquisition_and_band(position, position, frequencies, kind, boundaries, py::none());
    const std::unique_ptr<ef::ArraySurveyModel> m = model_of_items(model.items, acquisition, band);
    const int nf = m->params().jw2 - m->params().jw1 + 1;
    if (frequency < 0 || frequency >= nf)
        refuse("frequency: index " + std::to_string(frequency) + " outside 0 .. " + std::to_string(nf - 1));
    std::vector<Complex> u1, u2;
    try {
        py::gil_scoped_release unlocked;
        ef::SurveySolver solver(*m, 1);
        ef::check_survey_memory(solver.estimated_megabytes());
        solver.solve_field(m->params().jw1 + frequency, 0, u1, u2);
    } catch (const std::exception& e) {
        refuse(e.what());
    }
    const int nx = m->params().nx, ny = m->params().ny;
    py::array_t<std::complex<double>> out({ny, nx, 2});
    auto o = out.mutable_unchecked<3>();
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            const std::size_t k = static_cast<std::size_t>(j) * nx + i;
            o(j, i, 0) = {u1[k].re, u1[k].im};
            o(j, i, 1) = {u2[k].re, u2[k].im};
        }
    return out;
}

// Observed spectra as survey() returns them, complex [shot, receiver,
// frequency, 2], or the name of an HDF5 file in elastofreq_survey's layout
// (read and checked against the survey as elastofreq_gradient does).
ef::SurveySpectra observed_spectra(const py::object& observed, const ef::Survey& survey,
                                   const std::vector<double>& frequency_khz) {
    if (py::isinstance<py::str>(observed) || py::hasattr(observed, "__fspath__")) {
        const std::string name = py::str(py::module_::import("os").attr("fspath")(observed));
        try {
            return ef::read_survey_spectra(name, survey, frequency_khz);
        } catch (const std::exception& e) {
            refuse(std::string("observed: ") + e.what());
        }
    }
    const int ns = static_cast<int>(survey.shots.size()), nr = static_cast<int>(survey.receiver_x.size());
    const int nf = static_cast<int>(frequency_khz.size());
    const ComplexArray data = ComplexArray::ensure(observed);
    if (!data || data.ndim() != 4 || data.shape(3) != 2) {
        PyErr_Clear();
        refuse("observed: expected complex [shot, receiver, frequency, 2] or an HDF5 file name");
    }
    if (data.shape(0) != ns || data.shape(1) != nr || data.shape(2) != nf)
        refuse("observed: " + std::to_string(data.shape(0)) + " shots, " + std::to_string(data.shape(1)) +
               " receivers and " + std::to_string(data.shape(2)) + " frequencies where the survey has " +
               std::to_string(ns) + ", " + std::to_string(nr) + " and " + std::to_string(nf));
    const std::vector<Complex> v = complex_values(data, "observed");
    ef::SurveySpectra spectra(ns, nr, nf);
    for (int s = 0; s < ns; ++s)
        for (int r = 0; r < nr; ++r)
            for (int f = 0; f < nf; ++f) {
                const std::size_t k = ((static_cast<std::size_t>(s) * nr + r) * nf + f) * 2;
                spectra.u1(s, r, f) = v[k];
                spectra.u2(s, r, f) = v[k + 1];
            }
    return spectra;
}

// The keywords of misfit_and_gradient beyond survey()'s positions: kind,
// boundaries and source_spectrum as survey() takes them, weights, threads.
struct GradientOptions {
    py::object kind = py::str("explosion"), boundaries = py::none(), source_spectrum = py::none();
    py::object weights = py::none();
    int threads = 1;
};

GradientOptions gradient_options(const py::kwargs& given) {
    GradientOptions o;
    for (const auto& [key, value] : given) {
        const std::string name = key.cast<std::string>();
        if (name == "kind") o.kind = py::reinterpret_borrow<py::object>(value);
        else if (name == "boundaries") o.boundaries = py::reinterpret_borrow<py::object>(value);
        else if (name == "source_spectrum") o.source_spectrum = py::reinterpret_borrow<py::object>(value);
        else if (name == "weights") o.weights = py::reinterpret_borrow<py::object>(value);
        else if (name == "threads") {
            try {
                o.threads = value.cast<int>();
            } catch (const py::cast_error&) {
                refuse("threads: expected a whole number");
            }
        } else {
            refuse("unknown keyword '" + name + "' (kind, boundaries, source_spectrum, weights, threads)");
        }
    }
    return o;
}

py::tuple misfit_and_gradient_call(const Model& model, const py::object& observed, const py::object& shots,
                                   const py::object& receivers, const py::tuple& frequencies,
                                   const py::kwargs& keywords) {
    const GradientOptions options = gradient_options(keywords);
    const py::object& weights = options.weights;
    const int threads = options.threads;
    const auto [acquisition, band] = acquisition_and_band(shots, receivers, frequencies, options.kind,
                                                          options.boundaries, options.source_spectrum);
    const std::unique_ptr<ef::ArraySurveyModel> m = model_of_items(model.items, acquisition, band);
    const ef::RunParams& p = m->params();
    const int nf = p.jw2 - p.jw1 + 1;
    std::vector<double> khz;
    for (int jw = p.jw1; jw <= p.jw2; ++jw) khz.push_back(ef::frequency_of(jw, p));
    const ef::SurveySpectra data = observed_spectra(observed, m->survey(), khz);
    std::vector<double> w(static_cast<std::size_t>(nf), 1.0);
    if (!weights.is_none()) {
        const RealArray a = RealArray::ensure(weights);
        if (!a || a.ndim() != 1 || a.shape(0) != nf) {
            PyErr_Clear();
            refuse("weights: expected shape (" + std::to_string(nf) + ",), one per frequency");
        }
        for (int f = 0; f < nf; ++f) {
            w[static_cast<std::size_t>(f)] = a.at(f);
            if (!(a.at(f) >= 0.0) || !std::isfinite(a.at(f)))
                refuse("weights[" + std::to_string(f) + "]: must be finite and not negative");
        }
    }
    if (threads < 1) refuse("threads: must be at least 1");
    const ef::SurveyBoundaries& b = m->survey().boundaries;
    if (b.absorbing == ef::AbsorbingBoundary::pml && !(b.pml_velocity > 0.0) &&
        PyErr_WarnEx(PyExc_UserWarning,
                     "the layer's damping follows the fastest P velocity on the model's borders and the "
                     "gradient holds it fixed, so the gradient of that border element is not exact: give "
                     "boundaries['pml_velocity'] (m/ms) for an inversion",
                     1) != 0)
        throw py::error_already_set();
    ef::SurveyMisfit result;
    try {
        py::gil_scoped_release unlocked;
        result = ef::survey_misfit_gradient(*m, data, w, threads);
    } catch (const std::exception& e) {
        refuse(e.what());
    }
    const int nx = p.nx, ny = p.ny;
    py::dict gradient;
    const std::pair<const char*, const std::vector<double>*> parts[] = {
        {"p_modulus", &result.gradient.p_modulus},
        {"s_modulus", &result.gradient.s_modulus},
        {"density", &result.gradient.density}};
    for (const auto& [name, values] : parts) {
        RealArray a({ny, nx});
        std::copy(values->begin(), values->end(), a.mutable_data());
        gradient[name] = a;
    }
    return py::make_tuple(result.misfit, gradient);
}

// The time traces of spectra [shot, receiver, frequency, component] at
// t = k dt, k = 0 .. nt - 1, by the inverse sum of elastofreq_survey's SEG-Y
// traces; times a wavelet's spectrum when one is given (nt samples on the same axis).
py::array_t<double> traces_call(const ComplexArray& data, const py::tuple& frequencies, double dt, int nt,
                                const py::object& wavelet) {
    if (data.ndim() != 4 || data.shape(3) != 2) refuse("data: expected shape (shots, receivers, nf, 2)");
    if (frequencies.size() != 2 && frequencies.size() != 3)
        refuse("frequencies: expected (df, nf) or (df, nf, midpoint)");
    const double df = frequencies[0].cast<double>();
    const int nf = frequencies[1].cast<int>();
    const bool midpoint = frequencies.size() == 3 && frequencies[2].cast<bool>();
    if (data.shape(2) != nf) refuse("data: " + std::to_string(data.shape(2)) + " frequencies where frequencies gives " + std::to_string(nf));
    if (!(df > 0.0) || !(dt > 0.0) || nt < 1) refuse("df, dt and nt must be positive");
    ef::SurveySampling sampling;
    sampling.keyqua = midpoint ? 2 : 1;
    sampling.jw1 = midpoint ? 1 : 2;
    sampling.jw2 = sampling.jw1 + nf - 1;
    sampling.nt = nt;
    sampling.dt = dt;
    sampling.delw = df * ef::kTwoPi;
    std::vector<Complex> spectrum(static_cast<std::size_t>(nf), Complex{1.0, 0.0});
    if (!wavelet.is_none()) {
        const RealArray w = RealArray::ensure(wavelet);
        if (!w || w.ndim() != 1 || w.shape(0) != nt) refuse("wavelet: expected shape (nt,)");
        for (int f = 0; f < nf; ++f) {
            const double omega = ef::kTwoPi * df * (f + 1 - (midpoint ? 0.5 : 0.0));
            Complex sum{};
            for (int k = 0; k < nt; ++k)
                sum += w.at(k) * dt * Complex{std::cos(omega * k * dt), -std::sin(omega * k * dt)};
            spectrum[static_cast<std::size_t>(f)] = sum;
        }
    }
    const int ns = static_cast<int>(data.shape(0)), nr = static_cast<int>(data.shape(1));
    ef::SurveySpectra spectra(ns, nr, nf);
    auto d = data.unchecked<4>();
    for (int s = 0; s < ns; ++s)
        for (int r = 0; r < nr; ++r)
            for (int f = 0; f < nf; ++f) {
                const Complex w = spectrum[static_cast<std::size_t>(f)];
                spectra.u1(s, r, f) = w * Complex{d(s, r, f, 0).real(), d(s, r, f, 0).imag()};
                spectra.u2(s, r, f) = w * Complex{d(s, r, f, 1).real(), d(s, r, f, 1).imag()};
            }
    const std::vector<double> u1 = ef::survey_time_traces(spectra, ef::SurveyComponent::u1, sampling);
    const std::vector<double> u2 = ef::survey_time_traces(spectra, ef::SurveyComponent::u2, sampling);
    py::array_t<double> out({ns, nr, nt, 2});
    auto o = out.mutable_unchecked<4>();
    for (int s = 0; s < ns; ++s)
        for (int r = 0; r < nr; ++r)
            for (int k = 0; k < nt; ++k) {
                const std::size_t at = (static_cast<std::size_t>(s) * nr + r) * nt + k;
                o(s, r, k, 0) = u1[at];
                o(s, r, k, 1) = u2[at];
            }
    return out;
}

// The complex P and S moduli (nf, ny, nx) of a nearly-constant-Q rock at the
// survey's frequencies, by the relation elastofreq_moduli uses (liu_modulus):
// relaxed moduli density * v**2, decrements pi / Q, relaxation times
// 1 / (2 pi fq1) and 1 / (2 pi fq2).
py::tuple nearly_constant_q_call(const RealArray& density, const RealArray& vp, const RealArray& vs,
                                 const RealArray& qp, const RealArray& qs, const py::tuple& q_band,
                                 const py::tuple& frequencies) {
    if (density.ndim() != 2) refuse("density: expected a 2-D array (ny, nx)");
    const int ny = static_cast<int>(density.shape(0)), nx = static_cast<int>(density.shape(1));
    const std::vector<double> rho = element_values(density, "density", ny, nx, true);
    const std::vector<double> p = element_values(vp, "vp", ny, nx, true), s = element_values(vs, "vs", ny, nx, true);
    // quality factors: positive, numpy.inf for an elastic element
    const auto quality = [&](const RealArray& a, const char* name) {
        if (a.ndim() != 2 || a.shape(0) != ny || a.shape(1) != nx)
            refuse(std::string(name) + ": expected shape (" + std::to_string(ny) + ", " + std::to_string(nx) + ")");
        std::vector<double> v(a.data(), a.data() + a.size());
        for (const double x : v)
            if (!(x > 0.0)) refuse(std::string(name) + ": every value must be positive (numpy.inf for none)");
        return v;
    };
    const std::vector<double> q1 = quality(qp, "qp"), q2 = quality(qs, "qs");
    if (q_band.size() != 2) refuse("q_band: expected (fq1, fq2) in kHz");
    const double fq1 = q_band[0].cast<double>(), fq2 = q_band[1].cast<double>();
    if (!(fq1 > 0.0 && fq2 > fq1 && std::isfinite(fq2)))
        refuse("q_band: the relaxation band needs 0 < fq1 < fq2");
    if (frequencies.size() != 2 && frequencies.size() != 3)
        refuse("frequencies: expected (df, nf) or (df, nf, midpoint)");
    const double df = frequencies[0].cast<double>();
    const int nf = frequencies[1].cast<int>();
    const double shift = frequencies.size() == 3 && frequencies[2].cast<bool>() ? 0.5 : 0.0;
    if (!(df > 0.0) || nf < 1) refuse("frequencies: need a positive step and count");
    const double tau1 = 1.0 / (ef::kTwoPi * fq1), tau2 = 1.0 / (ef::kTwoPi * fq2);
    ComplexArray pm({nf, ny, nx}), sm({nf, ny, nx});
    for (int f = 0; f < nf; ++f) {
        const double omega = ef::kTwoPi * ((f + 1 - shift) * df);
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i) {
                const std::size_t k = static_cast<std::size_t>(j) * nx + i;
                const Complex a = ef::liu_modulus(rho[k] * p[k] * p[k], ef::kPi / q1[k], tau1, tau2, omega);
                const Complex b = ef::liu_modulus(rho[k] * s[k] * s[k], ef::kPi / q2[k], tau1, tau2, omega);
                pm.mutable_at(f, j, i) = {a.re, a.im};
                sm.mutable_at(f, j, i) = {b.re, b.im};
            }
    }
    return py::make_tuple(pm, sm);
}

}  // namespace

PYBIND11_MODULE(elastofreq, mod) {
    mod.doc() = R"(2-D P-SV waves in viscoelastic rock, frequency domain, from Python.

The solve is elastofreq_survey's own (one factorisation per frequency for
every shot), run with the GIL released. Units are the deck's: metres,
milliseconds, kHz, velocities in m/ms, density as a deck gives it,
moduli = density * velocity**2.

Arrays on the element grid have shape (ny, nx): row 0 is the model's bottom
row, column 0 its left column; element (j, i) covers x in [i h, (i+1) h] and
y in [j h, (j+1) h]. Positions are (n, 2) arrays of (x, y) in metres from the
model's lower-left corner, y upward. Bad input raises ValueError.)";

    py::class_<Model>(mod, "Model", R"(The rock on the element grid.

h: element side (m). density: (ny, nx). vp, vs: (ny, nx) elastic P and S
velocities (m/ms); they give the moduli when p_modulus and s_modulus are
None, and always the absorbing layer's velocities. p_modulus, s_modulus:
complex (ny, nx), or (nf, ny, nx) for one set per frequency of the survey.)")
        .def(py::init(&make_model), py::arg("h"), py::arg("density"), py::arg("vp"), py::arg("vs"),
             py::arg("p_modulus") = py::none(), py::arg("s_modulus") = py::none())
        .def_property_readonly("h", [](const Model& m) { return m.items["h"]; })
        .def_property_readonly("density", [](const Model& m) { return m.items["density"]; });

    mod.def("survey", &survey_call,
            R"(The receivers' displacement spectra, complex [shot, receiver, frequency, (u1, u2)].

shots, receivers: (n, 2) positions in metres. frequencies: (df, nf), the
frequencies k * df kHz for k = 1 .. nf, or (df, nf, True) for (k - 1/2) * df
(a deck's mid-point sampling). kind: "force_x", "force_y" or "explosion"
(unit force or scalar moment), or a dict with the keys of a survey file's
[[shots]] table: kind (one of those or "moment"), amplitude (1), and for a
moment mxx, myy, mxy; one kind for every shot or a list of one per shot.
boundaries: dict with top ("free" or "absorbing"), absorbing ("pml" or
"first-order": the sides' boundary), pml_elements (20), pml_velocity (the P
velocity, m/ms, that sets the layer's damping; the fastest on the model's
borders when absent) and pml_reflection
(1e-3), as in a survey file's [boundaries]. source_spectrum: complex
(nf,), 1 at every frequency when None. u1 is along x, u2 along y (upward).)",
            py::arg("model"), py::arg("shots"), py::arg("receivers"), py::arg("frequencies"),
            py::arg("kind") = "explosion", py::arg("boundaries") = py::none(),
            py::arg("source_spectrum") = py::none());
    mod.def("field", &field_call,
            R"(One frequency's displacement at the centre of every element for one shot,
complex (ny, nx, 2) with (u1, u2) last. shot: (x, y) in metres; frequency: the
index (from 0) into frequencies; the rest as survey().)",
            py::arg("model"), py::arg("shot"), py::arg("frequency"), py::arg("frequencies"),
            py::arg("kind") = "explosion", py::arg("boundaries") = py::none());
    mod.def("traces", &traces_call,
            R"(Time traces [shot, receiver, time, component] of survey()'s spectra at
t = k dt ms, k = 0 .. nt - 1: u(t) = (dw / pi) sum_j Re(U_j exp(+i w_j t)), the
sum of elastofreq_survey's SEG-Y traces (dw = 2 pi df). With a wavelet (nt
samples on the same time axis) the spectra are first multiplied by its
spectrum dt sum_k w_k exp(-i w t_k); leave it None when survey() was given
the source spectrum already.)",
            py::arg("data"), py::arg("frequencies"), py::arg("dt"), py::arg("nt"),
            py::arg("wavelet") = py::none());
    mod.def("nearly_constant_q_moduli", &nearly_constant_q_call,
            R"((p_modulus, s_modulus), complex (nf, ny, nx), of a nearly-constant-Q rock at the
frequencies of survey() (frequencies as there), by the relation of
elastofreq_moduli (Liu, Anderson and Kanamori): relaxed moduli density * v**2
from the (ny, nx) arrays density, vp, vs (m/ms), quality factors qp and qs
(ny, nx; decrement pi / Q, numpy.inf for none), relaxation band q_band =
(fq1, fq2) in kHz. Give them to Model with vp and vs.)",
            py::arg("density"), py::arg("vp"), py::arg("vs"), py::arg("qp"), py::arg("qs"),
            py::arg("q_band"), py::arg("frequencies"));
    mod.def("misfit_and_gradient", &misfit_and_gradient_call,
            R"(misfit_and_gradient(model, observed, shots, receivers, frequencies, kind="explosion",
boundaries=None, source_spectrum=None, weights=None, threads=1)

(misfit, gradient) of survey()'s spectra against observed ones.

misfit = 1/2 sum over shots, receivers, frequencies f and both components of
weights[f] |modelled - observed|**2. gradient: a dict of (ny, nx) arrays,
"p_modulus", "s_modulus" and "density", the misfit's derivatives with
respect to the real part of each element's P modulus, S modulus and
density. A shift of a modulus moves every complex set of it and the elastic
modulus density * v**2 that sets the absorbing velocity. The layer's damping
is held fixed: give boundaries["pml_velocity"] so that it does not move with
the model either (a UserWarning otherwise). observed: complex [shot, receiver,
frequency, 2] as survey() returns, or the name of an HDF5 file in
elastofreq_survey's layout. weights: (nf,) not negative, 1 when None; a
frequency of weight 0 is not solved. threads share the gradient's element
sums (the result is the same for any number). The other arguments as
survey(). Costs one factorisation per frequency and two solves per shot
(forward and adjoint, with the same factors).)",
            py::arg("model"), py::arg("observed"), py::arg("shots"), py::arg("receivers"),
            py::arg("frequencies"));
    mod.def("read_survey_model", &read_survey_model, py::arg("survey_file"), py::arg("folder") = ".",
            "A survey file's deck and material files (read in `folder`) as the arrays of survey(): "
            "a dict with h, density, vp, vs, p_modulus, s_modulus, df, nf, midpoint, "
            "source_spectrum, shots, kinds, receivers, top, pml_elements, pml_reflection, pml_velocity.");
}
