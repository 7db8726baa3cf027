// Builds input decks for tests: every record with a sound default and a
// comment after its field, addressable by name so that a test overrides one
// value (or its raw text), drops records or cuts the deck short.
//
//   DeckBuilder deck;            // 10 x 8 elements of 10 m, one material
//   deck.set("ngx", 603);
//   RunResult r = run_deck(deck.text());
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ef::test {

class DeckBuilder {
public:
    struct Material {
        double ros = 2.0, xkr = 2.0e11, xmur = 1.0e11, deltp = 0.1, delts = 0.1;
        double phi = 0.2, rosaux = 2.0, kf = 2.2e10, ks = 3.6e11, fq1 = 0.01, fq2 = 10.0;
    };
    struct Region {
        double xi, xf, yi, yf;
        std::int32_t numat;
    };

    // Scalars of the deck (records 1 to 38) with their defaults.
    std::int32_t maxlow = 20;
    double perclow = 0.1;
    std::int32_t nsx = 1, nsy = 1, ncontrol = 0, ngx = 10, ngy = 8;
    double xsize = 100.0, ysize = 80.0;
    std::vector<double> fsnap{0.5};
    std::vector<double> tsnap{10.0};
    std::int32_t keyqua = 1, npf = 10, key = 1;
    double freq = 0.5, stime = 20.0, f1 = 0.0, f2 = 0.1, f3 = 0.8, f4 = 1.0;
    std::int32_t maxiter = 50;
    double reduc = 1e-4;
    std::vector<Material> materials{Material{}};
    std::int32_t kdel = 1;
    double tmute = 0.0, xsou = 50.0, ysou = 40.0;
    std::int32_t nrec = 3;
    double xinic = 10.0, yinic = 70.0, xfin = 90.0, yfin = 70.0;
    // Material regions; an empty list gives one region over the whole domain.
    std::vector<Region> regions;

    // Counts written to the deck; by default the sizes of the lists above.
    // Setting one lets the count disagree with the records that follow.
    std::int32_t nsnapf_override = -99999, nsnapt_override = -99999, nmat_override = -99999;

    // The deck as (name, line) records.
    struct Record {
        std::string name;
        std::string line;
    };
    std::vector<Record> records() const;
    std::string text() const;

    // Replaces the raw line of the named record (the first of that name).
    DeckBuilder& raw(const std::string& name, const std::string& line);
    // The deck cut right after the named record.
    std::string text_through(const std::string& name) const;

private:
    std::vector<Record> raw_lines_;
};

// Field texts: "(i5)" right-aligned in 5 columns, "(e20.8)" with a decimal
// point in 20 columns, each followed by a comment naming the record.
std::string i5_line(std::int32_t v, const std::string& comment);
std::string e20_line(double v, const std::string& comment);

}  // namespace ef::test
