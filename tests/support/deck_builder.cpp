#include "support/deck_builder.hpp"

#include <cstdio>
#include <stdexcept>

namespace ef::test {

std::string i5_line(std::int32_t v, const std::string& comment) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%5d", v);
    return std::string(buf) + "   " + comment;
}

std::string e20_line(double v, const std::string& comment) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%20.10E", v);
    return std::string(buf) + "   " + comment;
}

namespace {
std::string list_line(double v, const std::string& comment) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    return std::string(buf) + "   " + comment;
}
}  // namespace

std::vector<DeckBuilder::Record> DeckBuilder::records() const {
    std::vector<Record> out;
    const auto i5 = [&](const std::string& name, std::int32_t v) { out.push_back({name, i5_line(v, name)}); };
    const auto e20 = [&](const std::string& name, double v) { out.push_back({name, e20_line(v, name)}); };
    const auto list = [&](const std::string& name, double v) { out.push_back({name, list_line(v, name)}); };
    const auto idx = [](const char* name, std::size_t k) { return std::string(name) + std::to_string(k + 1); };

    i5("maxlow", maxlow);
    e20("perclow", perclow);
    i5("nsx", nsx);
    i5("nsy", nsy);
    i5("ncontrol", ncontrol);
    i5("ngx", ngx);
    i5("ngy", ngy);
    e20("xsize", xsize);
    e20("ysize", ysize);
    i5("nsnapf", nsnapf_override != -99999 ? nsnapf_override : static_cast<std::int32_t>(fsnap.size()));
    if (fsnap.empty()) out.push_back({"fsnap1", "(no snapshot frequency: this record is read and ignored)"});
    for (std::size_t k = 0; k < fsnap.size(); ++k) e20(idx("fsnap", k), fsnap[k]);
    i5("nsnapt", nsnapt_override != -99999 ? nsnapt_override : static_cast<std::int32_t>(tsnap.size()));
    for (std::size_t k = 0; k < tsnap.size(); ++k) list(idx("tsnap", k), tsnap[k]);
    i5("keyqua", keyqua);
    i5("npf", npf);
    i5("key", key);
    e20("freq", freq);
    e20("stime", stime);
    e20("f1", f1);
    e20("f2", f2);
    e20("f3", f3);
    e20("f4", f4);
    i5("maxiter", maxiter);
    e20("reduc", reduc);
    i5("nmat", nmat_override != -99999 ? nmat_override : static_cast<std::int32_t>(materials.size()));
    for (std::size_t m = 0; m < materials.size(); ++m) list(idx("ros", m), materials[m].ros);
    for (std::size_t m = 0; m < materials.size(); ++m) e20(idx("xkr", m), materials[m].xkr);
    for (std::size_t m = 0; m < materials.size(); ++m) e20(idx("xmur", m), materials[m].xmur);
    for (std::size_t m = 0; m < materials.size(); ++m) e20(idx("deltp", m), materials[m].deltp);
    for (std::size_t m = 0; m < materials.size(); ++m) e20(idx("delts", m), materials[m].delts);
    for (std::size_t m = 0; m < materials.size(); ++m) e20(idx("phi", m), materials[m].phi);
    for (std::size_t m = 0; m < materials.size(); ++m) e20(idx("rosaux", m), materials[m].rosaux);
    for (std::size_t m = 0; m < materials.size(); ++m) e20(idx("kf", m), materials[m].kf);
    for (std::size_t m = 0; m < materials.size(); ++m) e20(idx("ks", m), materials[m].ks);
    i5("iaux", 0);
    for (std::size_t m = 0; m < materials.size(); ++m) {
        e20(idx("fq1_", m), materials[m].fq1);
        e20(idx("fq2_", m), materials[m].fq2);
    }
    i5("kdel", kdel);
    e20("tmute", tmute);
    e20("xsou", xsou);
    e20("ysou", ysou);
    i5("nrec", nrec);
    list("xinic", xinic);
    list("yinic", yinic);
    list("xfin", xfin);
    list("yfin", yfin);
    std::vector<Region> all = regions;
    if (all.empty()) all.push_back({0.0, xsize, 0.0, ysize, 1});
    all.push_back({-1.0, 0.0, 0.0, 0.0, 0});
    for (std::size_t k = 0; k < all.size(); ++k) {
        const std::string r = "region" + std::to_string(k + 1) + ".";
        e20(r + "xi", all[k].xi);
        e20(r + "xf", all[k].xf);
        e20(r + "yi", all[k].yi);
        e20(r + "yf", all[k].yf);
        i5(r + "numat", all[k].numat);
        i5(r + "unused", 0);
    }
    for (const Record& change : raw_lines_) {
        bool found = false;
        for (Record& rec : out)
            if (rec.name == change.name) {
                rec.line = change.line;
                found = true;
                break;
            }
        if (!found) throw std::logic_error("deck has no record " + change.name);
    }
    return out;
}

std::string DeckBuilder::text() const {
    std::string s;
    for (const Record& r : records()) s += r.line + "\n";
    return s;
}

DeckBuilder& DeckBuilder::raw(const std::string& name, const std::string& line) {
    raw_lines_.push_back({name, line});
    return *this;
}

std::string DeckBuilder::text_through(const std::string& name) const {
    std::string s;
    for (const Record& r : records()) {
        s += r.line + "\n";
        if (r.name == name) return s;
    }
    throw std::logic_error("deck has no record " + name);
}

}  // namespace ef::test
