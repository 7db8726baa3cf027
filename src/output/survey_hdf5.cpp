#include "output/survey_hdf5.hpp"

#include <hdf5.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <string>
#include <vector>

#include "common/stop.hpp"

namespace ef {

namespace {

// Owns one HDF5 identifier and closes it with the matching function.
class Handle {
public:
    Handle(hid_t id, herr_t (*close)(hid_t), const std::string& what) : id_(id), close_(close) {
        if (id_ < 0) throw RunError("HDF5: cannot create " + what);
    }
    ~Handle() {
        if (id_ >= 0) close_(id_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    hid_t get() const { return id_; }
    // Closes now, so that a failure of the close (the file's last write) is seen.
    void close(const std::string& what) {
        const herr_t status = close_(id_);
        id_ = -1;
        if (status < 0) throw RunError("HDF5: cannot close " + what);
    }

private:
    hid_t id_;
    herr_t (*close_)(hid_t);
};

void check(herr_t status, const std::string& what) {
    if (status < 0) throw RunError("HDF5: cannot write " + what);
}

class SurveyFile {
public:
    explicit SurveyFile(const std::filesystem::path& file)
        : file_(H5Fcreate(file.c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT), H5Fclose,
                file.string()),
          complex_(H5Tcreate(H5T_COMPOUND, sizeof(Complex)), H5Tclose, "the complex type") {
        check(H5Tinsert(complex_.get(), "r", offsetof(Complex, re), H5T_NATIVE_DOUBLE), "type r");
        check(H5Tinsert(complex_.get(), "i", offsetof(Complex, im), H5T_NATIVE_DOUBLE), "type i");
    }

    void dataset(const char* name, hid_t type, std::vector<hsize_t> shape, const void* data,
                 const char* units = nullptr) {
        Handle space(H5Screate_simple(static_cast<int>(shape.size()), shape.data(), nullptr),
                     H5Sclose, std::string("the shape of ") + name);
        // No modification times in the object headers: the same spectra make
        // the same bytes, whenever and however many processes wrote them.
        Handle creation(H5Pcreate(H5P_DATASET_CREATE), H5Pclose, "dataset properties");
        check(H5Pset_obj_track_times(creation.get(), 0), name);
        Handle set(H5Dcreate2(file_.get(), name, type, space.get(), H5P_DEFAULT, creation.get(),
                              H5P_DEFAULT),
                   H5Dclose, name);
        if (H5Sget_simple_extent_npoints(space.get()) > 0)
            check(H5Dwrite(set.get(), type, H5S_ALL, H5S_ALL, H5P_DEFAULT, data), name);
        if (units != nullptr) text_attribute(set.get(), "units", units);
    }
    void reals(const char* name, const std::vector<double>& v, const char* units = nullptr) {
        dataset(name, H5T_NATIVE_DOUBLE, {v.size()}, v.data(), units);
    }
    void complexes(const char* name, const std::vector<Complex>& v, std::vector<hsize_t> shape) {
        dataset(name, complex_.get(), std::move(shape), v.data());
    }
    // Fixed-length, null-padded ASCII strings as long as the longest.
    void strings(const char* name, const std::vector<std::string>& v) {
        std::size_t width = 1;
        for (const std::string& s : v) width = std::max(width, s.size());
        std::vector<char> packed(width * v.size(), '\0');
        for (std::size_t k = 0; k < v.size(); ++k) v[k].copy(packed.data() + k * width, width);
        Handle type(H5Tcopy(H5T_C_S1), H5Tclose, "a string type");
        check(H5Tset_size(type.get(), width), "a string type");
        check(H5Tset_strpad(type.get(), H5T_STR_NULLPAD), "a string type");
        dataset(name, type.get(), {v.size()}, packed.data());
    }

    void text_attribute(hid_t owner, const char* name, const std::string& value) {
        Handle type(H5Tcopy(H5T_C_S1), H5Tclose, "a string type");
        check(H5Tset_size(type.get(), H5T_VARIABLE), "a string type");
        check(H5Tset_cset(type.get(), H5T_CSET_UTF8), "a string type");
        Handle space(H5Screate(H5S_SCALAR), H5Sclose, "a scalar");
        Handle attribute(H5Acreate2(owner, name, type.get(), space.get(), H5P_DEFAULT, H5P_DEFAULT),
                         H5Aclose, name);
        const char* text = value.c_str();
        check(H5Awrite(attribute.get(), type.get(), &text), name);
    }
    void text_attribute(const char* name, const std::string& value) {
        text_attribute(file_.get(), name, value);
    }
    template <typename T>
    void number_attribute(const char* name, T value) {
        const hid_t type = std::is_integral_v<T> ? H5T_NATIVE_INT : H5T_NATIVE_DOUBLE;
        Handle space(H5Screate(H5S_SCALAR), H5Sclose, "a scalar");
        Handle attribute(H5Acreate2(file_.get(), name, type, space.get(), H5P_DEFAULT, H5P_DEFAULT),
                         H5Aclose, name);
        check(H5Awrite(attribute.get(), type, &value), name);
    }

    void close(const std::string& what) { file_.close(what); }

private:
    Handle file_;
    Handle complex_;
};

void write_conventions(SurveyFile& out, const Survey& survey, const SurveySampling& s) {
    out.text_attribute("program", "elastofreq_survey");
    out.text_attribute("content",
                       "u1, u2: the solved displacement at each receiver (u1 along x, to the"
                       " right; u2 along y, upward) for each shot and frequency, taken from the"
                       " basis of the element that holds the receiver; a shot's load is its"
                       " amplitude (and moment components) times source_spectrum");
    out.text_attribute("axes", "u1 and u2 are [shot][receiver][frequency]; shot k (from 0) is"
                               " record k + 1 of the SEG-Y files; frequency index f stands for"
                               " the deck's frequency number jw1 + f, at frequency_khz[f]");
    out.text_attribute("time_convention",
                       "a frequency component U stands for Re(U exp(+i omega t)); the time"
                       " traces are u(t_k) = (delw/pi) sum_j Re(U_j exp(+i omega_j t_k)),"
                       " t_k = (k - 1) dt");
    out.text_attribute("coordinates",
                       "metres; x from the model's left edge, y upward from its bottom edge");
    // The deck reader's internal units: m, ms, densities in g/m^3, moduli in
    // kPa, and so forces in kN.
    out.text_attribute("displacement_units",
                       "m, for loads in kN per metre along the third axis: a force amplitude"
                       " of 1 is 1 kN/m, a scalar moment of 1 is 1 kN m/m, times source_spectrum");
    out.text_attribute("survey_file", survey.file.string());
    out.text_attribute("deck", survey.deck.string());
    out.text_attribute("top", survey.boundaries.free_top ? "free" : "absorbing");
    out.text_attribute("absorbing",
                       survey.boundaries.absorbing == AbsorbingBoundary::pml ? "pml" : "first-order");
    out.number_attribute("pml_elements", survey.boundaries.pml_elements);
    out.number_attribute("pml_reflection", survey.boundaries.pml_reflection);
    if (survey.boundaries.pml_velocity > 0.0)
        out.number_attribute("pml_velocity", survey.boundaries.pml_velocity);
    out.number_attribute("jw1", s.jw1);
    out.number_attribute("jw2", s.jw2);
    out.number_attribute("keyqua", s.keyqua);
    out.number_attribute("nt", s.nt);
    out.number_attribute("dt_msec", s.dt);
    out.number_attribute("delw_rad_per_msec", s.delw);
}

}  // namespace

void write_survey_hdf5(const std::filesystem::path& file, const Survey& survey,
                       const SurveySampling& sampling, const SurveySpectra& spectra) {
    const int nf = sampling.frequencies();
    const std::size_t shots = survey.shots.size(), receivers = survey.receiver_x.size();
    if (spectra.shots() != static_cast<int>(shots) ||
        spectra.receivers() != static_cast<int>(receivers) || spectra.frequencies() != nf ||
        sampling.frequency_khz.size() != static_cast<std::size_t>(nf) ||
        sampling.source_spectrum.size() != static_cast<std::size_t>(nf))
        throw RunError(file.string() + ": the spectra do not match the survey's shots,"
                       " receivers and band");
    // Failures are reported through the return values, not printed.
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
    SurveyFile out(file);
    const std::vector<hsize_t> shape = {shots, receivers, static_cast<hsize_t>(nf)};
    out.complexes("u1", spectra.u1(), shape);
    out.complexes("u2", spectra.u2(), shape);
    out.reals("frequency_khz", sampling.frequency_khz, "kHz");
    std::vector<int> numbers;
    for (int f = 0; f < nf; ++f) numbers.push_back(sampling.jw1 + f);
    out.dataset("frequency_number", H5T_NATIVE_INT, {numbers.size()}, numbers.data());
    out.complexes("source_spectrum", sampling.source_spectrum, {static_cast<hsize_t>(nf)});

    std::vector<double> x, y, amplitude, mxx, myy, mxy;
    std::vector<std::string> kind;
    for (const Shot& s : survey.shots) {
        x.push_back(s.x);
        y.push_back(s.y);
        kind.emplace_back(shot_kind_name(s.kind));
        amplitude.push_back(s.amplitude);
        mxx.push_back(s.mxx);
        myy.push_back(s.myy);
        mxy.push_back(s.mxy);
    }
    out.reals("shot_x", x, "m");
    out.reals("shot_y", y, "m");
    out.strings("shot_kind", kind);
    out.reals("shot_amplitude", amplitude);
    out.reals("shot_mxx", mxx);
    out.reals("shot_myy", myy);
    out.reals("shot_mxy", mxy);
    out.reals("receiver_x", survey.receiver_x, "m");
    out.reals("receiver_y", survey.receiver_y, "m");
    write_conventions(out, survey, sampling);
    out.close(file.string());
}

namespace {

// A file opened for reading; each fault a RunError that names it.
class ReadFile {
public:
    explicit ReadFile(const std::filesystem::path& file) : name_(file.string()) {
        H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
        if (!std::filesystem::is_regular_file(file)) fail("no such file");
        if (H5Fis_hdf5(file.c_str()) <= 0) fail("not an HDF5 file");
        file_ = H5Fopen(file.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
        if (file_ < 0) fail("cannot be opened");
    }
    ~ReadFile() {
        if (file_ >= 0) H5Fclose(file_);
    }
    ReadFile(const ReadFile&) = delete;
    ReadFile& operator=(const ReadFile&) = delete;

    [[noreturn]] void fail(const std::string& what) const { throw RunError(name_ + ": " + what); }

    bool has(const char* name) const { return H5Lexists(file_, name, H5P_DEFAULT) > 0; }

    // Dataset `name` of the given shape, read as `type` into `data`.
    void read(const char* name, hid_t type, const std::vector<hsize_t>& shape, void* data) const {
        if (!has(name)) fail(std::string("no dataset ") + name);
        const Handle set(H5Dopen2(file_, name, H5P_DEFAULT), H5Dclose, name);
        const Handle space(H5Dget_space(set.get()), H5Sclose, name);
        std::vector<hsize_t> dims(static_cast<std::size_t>(std::max(0, H5Sget_simple_extent_ndims(space.get()))));
        H5Sget_simple_extent_dims(space.get(), dims.data(), nullptr);
        if (dims != shape) {
            std::string expected, got;
            for (const hsize_t d : shape) expected += (expected.empty() ? "" : " x ") + std::to_string(d);
            for (const hsize_t d : dims) got += (got.empty() ? "" : " x ") + std::to_string(d);
            fail(std::string(name) + ": shape " + got + " where the survey needs " + expected +
                 (shape.size() == 3 ? " (shots x receivers x frequencies)" : ""));
        }
        if (H5Dread(set.get(), type, H5S_ALL, H5S_ALL, H5P_DEFAULT, data) < 0)
            fail(std::string(name) + ": cannot be read as numbers of the layout");
    }

    // Dataset `name`, one value per entry of `expected`, equal to it within `tolerance`.
    void compare(const char* name, const std::vector<double>& expected, double tolerance,
                 const char* unit) const {
        std::vector<double> got(expected.size());
        read(name, H5T_NATIVE_DOUBLE, {expected.size()}, got.data());
        for (std::size_t k = 0; k < got.size(); ++k)
            if (!(std::abs(got[k] - expected[k]) <= tolerance))
                fail(std::string(name) + "[" + std::to_string(k) + "] is " + std::to_string(got[k]) +
                     " " + unit + " where the survey has " + std::to_string(expected[k]) + " " + unit);
    }

private:
    std::string name_;
    hid_t file_ = -1;
};

}  // namespace

SurveySpectra read_survey_spectra(const std::filesystem::path& file, const Survey& survey,
                                  const std::vector<double>& frequency_khz) {
    const ReadFile in(file);
    const std::size_t shots = survey.shots.size(), receivers = survey.receiver_x.size();
    const std::size_t nf = frequency_khz.size();
    SurveySpectra spectra(static_cast<int>(shots), static_cast<int>(receivers), static_cast<int>(nf));
    Handle complex(H5Tcreate(H5T_COMPOUND, sizeof(Complex)), H5Tclose, "the complex type");
    check(H5Tinsert(complex.get(), "r", offsetof(Complex, re), H5T_NATIVE_DOUBLE), "type r");
    check(H5Tinsert(complex.get(), "i", offsetof(Complex, im), H5T_NATIVE_DOUBLE), "type i");
    const std::vector<hsize_t> shape = {shots, receivers, nf};
    std::vector<Complex> u(spectra.size());
    in.read("u1", complex.get(), shape, u.data());
    for (int s = 0; s < spectra.shots(); ++s)
        for (int r = 0; r < spectra.receivers(); ++r)
            for (int f = 0; f < spectra.frequencies(); ++f)
                spectra.u1(s, r, f) = u[(static_cast<std::size_t>(s) * receivers + r) * nf + f];
    in.read("u2", complex.get(), shape, u.data());
    for (int s = 0; s < spectra.shots(); ++s)
        for (int r = 0; r < spectra.receivers(); ++r)
            for (int f = 0; f < spectra.frequencies(); ++f)
                spectra.u2(s, r, f) = u[(static_cast<std::size_t>(s) * receivers + r) * nf + f];
    in.compare("frequency_khz", frequency_khz, 1e-9 * frequency_khz.back(), "kHz");
    std::vector<double> x, y;
    for (const Shot& s : survey.shots) {
        x.push_back(s.x);
        y.push_back(s.y);
    }
    const std::pair<const char*, const std::vector<double>*> positions[] = {
        {"shot_x", &x}, {"shot_y", &y}, {"receiver_x", &survey.receiver_x}, {"receiver_y", &survey.receiver_y}};
    for (const auto& [name, v] : positions)
        if (in.has(name)) in.compare(name, *v, 1e-6, "m");
    return spectra;
}

void write_gradient_hdf5(const std::filesystem::path& file, const Survey& survey,
                         const GradientFile& g) {
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
    SurveyFile out(file);
    const std::vector<hsize_t> grid = {static_cast<hsize_t>(g.ny), static_cast<hsize_t>(g.nx)};
    out.dataset("p_modulus", H5T_NATIVE_DOUBLE, grid, g.p_modulus.data(), "1 / modulus unit");
    out.dataset("s_modulus", H5T_NATIVE_DOUBLE, grid, g.s_modulus.data(), "1 / modulus unit");
    out.dataset("density", H5T_NATIVE_DOUBLE, grid, g.density.data(), "1 / density unit");
    out.reals("frequency_khz", g.frequency_khz, "kHz");
    out.reals("weights", g.weights);
    out.reals("frequency_misfit", g.frequency_misfit);
    out.text_attribute("program", "elastofreq_gradient");
    out.text_attribute("content",
                       "misfit = 1/2 sum over shots, receivers, frequencies f and components of"
                       " weights[f] |modelled - observed|^2; p_modulus, s_modulus, density: its"
                       " derivatives with respect to the real part of each element's P modulus,"
                       " S modulus and density (a modulus shift moves every complex set and the"
                       " elastic modulus of the absorbing velocity alike); frequency_misfit: each"
                       " frequency's share");
    out.text_attribute("axes", "p_modulus, s_modulus and density are [row][column] of the model's"
                               " elements, row 0 at the bottom, column 0 at the left");
    out.text_attribute("survey_file", survey.file.string());
    out.text_attribute("deck", survey.deck.string());
    out.text_attribute("observed", g.observed);
    out.number_attribute("misfit", g.misfit);
    out.number_attribute("nx", g.nx);
    out.number_attribute("ny", g.ny);
    out.number_attribute("h_m", g.h);
    out.close(file.string());
}

}  // namespace ef
