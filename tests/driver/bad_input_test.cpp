// Bad input through the built program: a deck, a material file or a working
// directory that is wrong in any of the ways below ends the run with a message
// naming what is wrong and a failure status (or with the stop the deck checks
// prescribe), and never leaves a file whose last record is cut.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/deck_builder.hpp"
#include "support/program_runner.hpp"

namespace ef::test {
namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// One frequency line "(3e20.12)" of a modulus file.
std::string modulus_line(double f, double re, double im) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%20.12E%20.12E%20.12E", f, re, im);
    return std::string(buf) + "\n";
}

// The material files of a run, one text per file; a file marked absent is
// not written.
struct MaterialTexts {
    std::string p_modulus, s_modulus, bulk_density;
    bool with_p = true, with_s = true, with_density = true;
};

// Material files for nmat materials of the deck builder's default rock, each
// with `frequencies` frequency lines (more than the band reads are harmless:
// only the last material's extra lines follow it).
MaterialTexts default_material_files(int nmat = 1, int frequencies = 600) {
    MaterialTexts t;
    for (int m = 1; m <= nmat; ++m) {
        char header[16];
        std::snprintf(header, sizeof header, "%5d\n", m);
        t.p_modulus += header;
        t.s_modulus += header;
        t.bulk_density += std::string(header) + "  2.000000000000E+06\n";
        for (int k = frequencies; k >= 1; --k) {
            t.p_modulus += modulus_line(0.1 * k, 1.666666666667e7, 5.307855626327e5);
            t.s_modulus += modulus_line(0.1 * k, 5.0e6, 2.392344497608e5);
        }
    }
    return t;
}

// A run of elastofreq in a folder of its own, which copies share.
struct ProgramRun : FolderRun {
    void put(const MaterialTexts& files) const {
        if (files.with_p) folder->write("p_modulus.freq", files.p_modulus);
        if (files.with_s) folder->write("s_modulus.freq", files.s_modulus);
        if (files.with_density) folder->write("bulk_density.mat", files.bulk_density);
    }
    void run(const std::string& deck) { FolderRun::run("elastofreq", deck); }
    std::string file(const std::string& name) const { return folder->read(name); }
    // Files whose last record is cut (not empty and not ending in a newline).
    std::vector<std::string> cut_files() const {
        std::vector<std::string> cut;
        for (const std::string& name : folder->files()) {
            const std::string text = file(name);
            if (!text.empty() && text.back() != '\n') cut.push_back(name);
        }
        return cut;
    }
};

// A run of the default model (10 x 8 elements, frequency numbers 10 down to 2).
ProgramRun run_with(const std::string& deck, const MaterialTexts& files = default_material_files()) {
    ProgramRun r;
    r.put(files);
    r.run(deck);
    return r;
}

// A run error: status 2, one message line naming `part`, no cut file.
void expect_run_error(const ProgramRun& r, const std::string& part, const std::string& context) {
    EXPECT_EQ(r.status, 2) << context << "\n" << r.err;
    EXPECT_TRUE(contains(r.err, "elastofreq: ")) << context << "\n" << r.err;
    EXPECT_TRUE(contains(r.err, part)) << context << "\n" << r.err;
    EXPECT_TRUE(r.cut_files().empty()) << context;
}

int count_of(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// Room for every frequency of the default deck to converge.
DeckBuilder converging_deck() {
    DeckBuilder deck;
    deck.maxiter = deck.maxlow = 400;
    return deck;
}

TEST(BadInput, SoundDeckRunsToTheEnd) {
    // Every frequency converges: nothing on standard error.
    const ProgramRun r = run_with(converging_deck().text());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(contains(r.out, "tiempo="));
    EXPECT_TRUE(r.cut_files().empty());
}

TEST(BadInput, DeckCutShortAtEveryRecord) {
    const DeckBuilder deck;
    const std::vector<DeckBuilder::Record> records = deck.records();
    std::string text;
    for (std::size_t k = 0; k + 1 < records.size(); ++k) {
        text += records[k].line + "\n";
        const ProgramRun r = run_with(text);
        // The message names the record that is missing by its line number.
        expect_run_error(r, "end of file reading ", "cut after " + records[k].name);
        EXPECT_TRUE(contains(r.err, "from standard input, record " + std::to_string(k + 2)))
            << records[k].name << ": " << r.err;
    }
}

TEST(BadInput, NonNumericFieldInEachRecordKind) {
    struct Case {
        const char* record;  // deck builder name
        const char* line;
        const char* named;   // as the message names it
    };
    for (const Case& c : {Case{"nsx", "  x1     (i5)", "nsx (record 3)"},
                          Case{"maxiter", "  5-0", "maxiter (record 20)"},
                          Case{"xsize", "          1.0e2 metres", "xsize (record 8)"},
                          Case{"reduc", "1.0e-4.5", "reduc (record 21)"},
                          Case{"tsnap1", "ten", "tsnap(1) (record 13)"},
                          Case{"ros1", "2.0.0", "ros(1) (record 23)"},
                          Case{"xinic", "x=10", "xinic (record 38)"}}) {
        DeckBuilder deck;
        deck.raw(c.record, c.line);
        const ProgramRun r = run_with(deck.text());
        expect_run_error(r, c.named, c.record);
        EXPECT_TRUE(contains(r.err, "bad ")) << r.err;
    }
}

TEST(BadInput, NanAndInfinityInTheDeck) {
    struct Case {
        const char* record;
        const char* line;
        const char* named;
    };
    for (const Case& c : {Case{"perclow", "NaN", "perclow (record 2)"},
                          Case{"xsize", "Infinity", "xsize (record 8)"},
                          Case{"tsnap1", "inf", "tsnap(1) (record 13)"},
                          Case{"f4", "-inf", "f4 (record 19)"},
                          Case{"ros1", "nan", "ros(1) (record 23)"},
                          Case{"fq2_1", "  nan", "fq2(1) (record 33)"},
                          Case{"xsou", "nan", "xsou (record 36)"},
                          Case{"yfin", "-Infinity", "yfin (record 38)"},
                          Case{"region1.yf", "NAN", "yf (region 1, record 39)"},
                          Case{"region2.xi", "nan", "xi (region 2, record 39)"}}) {
        DeckBuilder deck;
        deck.raw(c.record, c.line);
        const ProgramRun r = run_with(deck.text());
        expect_run_error(r, c.named, c.record);
        EXPECT_TRUE(contains(r.err, "must be finite")) << r.err;
    }
}

TEST(BadInput, ZeroAndNegativeSizesAndCounts) {
    struct Case {
        const char* record;
        std::int32_t value;
        const char* named;
    };
    for (const Case& c : {Case{"nsx", 0, "nsx = 0 (record 3)"}, Case{"nsy", -1, "nsy = -1 (record 4)"},
                          Case{"ngx", 0, "ngx = 0 (record 6)"}, Case{"ngy", -8, "ngy = -8 (record 7)"},
                          Case{"npf", 0, "npf = 0 (record 15)"}, Case{"key", 0, "key = 0 (record 16)"},
                          Case{"keyqua", -1, "keyqua = -1 (record 14)"},
                          Case{"nmat", 0, "nmat = 0 (record 22)"},
                          Case{"nmat", -3, "nmat = -3 (record 22)"}}) {
        DeckBuilder deck;
        deck.raw(c.record, i5_line(c.value, c.record));
        expect_run_error(run_with(deck.text()), c.named, c.record);
    }
    for (const auto& [record, named] : std::vector<std::pair<std::string, std::string>>{
             {"xsize", "xsize = 0 (record 8)"}, {"ysize", "ysize = -80 (record 9)"}}) {
        DeckBuilder deck;
        deck.raw(record, e20_line(record == "xsize" ? 0.0 : -80.0, record));
        expect_run_error(run_with(deck.text()), named, record);
    }

    // Counts below one that the deck format allows: no snapshots, no
    // iterations (every frequency logged as not converged).
    DeckBuilder quiet;
    quiet.fsnap.clear();
    quiet.tsnap.clear();
    quiet.nsnapt_override = -4;
    quiet.maxiter = 0;
    quiet.maxlow = -1;
    ProgramRun r = run_with(quiet.text());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.file("iter.freq"), "     10        1\n"));

    // Fewer than two receivers: the prescribed plain stop, status 0 and no
    // message, after the receiver line has been echoed.
    for (const std::int32_t nrec : {1, 0, -2}) {
        DeckBuilder deck;
        deck.nrec = nrec;
        r = run_with(deck.text());
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_TRUE(contains(r.out, " yfin ")) << nrec;
        EXPECT_TRUE(r.cut_files().empty());
    }
}

TEST(BadInput, CountsOverEveryLimit) {
    // The stop decks: each over one limit, ending with its stop code.
    int decks = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(ELASTOFREQ_TEST_DATA) + "/decks")) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("stop_", 0) != 0) continue;
        const int code = std::stoi(name.substr(5));
        const ProgramRun r = run_with(read_file(entry.path()), default_material_files(20));
        EXPECT_EQ(r.status, code & 0xff) << name;
        EXPECT_EQ(r.err, "STOP " + std::to_string(code) + "\n") << name;
        EXPECT_TRUE(r.cut_files().empty()) << name;
        ++decks;
    }
    EXPECT_GE(decks, 12);

    // A global grid past the material map's extent, with local sizes that
    // pass the row limit check: rejected before the map is allocated.
    DeckBuilder wide;
    wide.nsx = 200;
    wide.ngx = 99999;
    wide.nsy = 300;
    wide.ngy = 90000;
    const ProgramRun r = run_with(wide.text());
    expect_run_error(r, "ngx x ngy = 99999 x 90000 (records 6 and 7)", "wide");
    EXPECT_TRUE(contains(r.err, "at most 5798464 elements")) << r.err;
}

TEST(BadInput, TimesAndFrequenciesBeyondTheInt32Range) {
    // Snapshot times and frequencies whose sample and frequency numbers do
    // not fit an int32 are simply never reached; the run goes through.
    DeckBuilder deck;
    deck.tsnap = {1.0e12};
    deck.fsnap = {-1.0e12};
    const ProgramRun r = run_with(deck.text());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(r.folder->exists("fort.15"));
    EXPECT_TRUE(r.cut_files().empty());
}

TEST(BadInput, MaterialFileWithTooFewRecords) {
    MaterialTexts files = default_material_files(1, 3);  // the band has 9 frequencies
    ProgramRun r = run_with(DeckBuilder().text(), files);
    expect_run_error(r, "from p_modulus.freq, record 5", "short p_modulus.freq");
    EXPECT_TRUE(contains(r.err, "end of file reading P-wave modulus of material 1, frequency number 7"))
        << r.err;
    EXPECT_TRUE(contains(r.err, "run \"elastofreq_moduli < deck\" in this directory")) << r.err;

    files = default_material_files();
    files.bulk_density = "    1\n";
    r = run_with(DeckBuilder().text(), files);
    expect_run_error(r, "density of material 1 from bulk_density.mat, record 2", "short density");

    files = default_material_files();
    files.s_modulus = "    1\n  5.0e6    abc\n";
    r = run_with(DeckBuilder().text(), files);
    expect_run_error(r, "s_modulus.freq, record 2", "non-numeric s_modulus.freq");
}

TEST(BadInput, MissingMaterialFile) {
    for (int missing = 0; missing < 3; ++missing) {
        MaterialTexts files = default_material_files();
        const char* name[] = {"p_modulus.freq", "s_modulus.freq", "bulk_density.mat"};
        (missing == 0 ? files.with_p : missing == 1 ? files.with_s : files.with_density) = false;
        ProgramRun r;
        r.put(files);
        r.run(DeckBuilder().text());
        expect_run_error(r, std::string("cannot open file \"") + name[missing] + "\"", name[missing]);
        EXPECT_TRUE(contains(r.err, "no such file; the material files p_modulus.freq, "
                                    "s_modulus.freq and bulk_density.mat are made from the deck "
                                    "by the program elastofreq_moduli"))
            << r.err;
        // The run ends at the open, before any output file exists.
        EXPECT_EQ(r.folder->files().size(), 2u);
        EXPECT_EQ(r.out, "");
    }
}

TEST(BadInput, NanAndInfinityInMaterialFiles) {
    // A NaN modulus at frequency number 6: the checks let it through, the run
    // writes every file as usual and then fails, naming that frequency.
    MaterialTexts files = default_material_files();
    std::istringstream lines(files.p_modulus);
    std::string line, p_modulus;
    for (int k = 0; std::getline(lines, line); ++k)
        p_modulus += (k == 5 ? modulus_line(0.6, std::numeric_limits<double>::quiet_NaN(), 5.0e5)
                             : line + "\n");
    files.p_modulus = p_modulus;
    ProgramRun r = run_with(DeckBuilder().text(), files);
    EXPECT_EQ(r.status, 5) << r.err;
    EXPECT_TRUE(contains(r.err, "not finite")) << r.err;
    EXPECT_TRUE(contains(r.err, "frequency number 6 ")) << r.err;
    EXPECT_TRUE(contains(r.out, "tiempo="));
    const std::string log = r.file("iter.freq");
    EXPECT_EQ(log.substr(0, 9), "     10  ");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 9);
    EXPECT_FALSE(r.file("vx_traces.su").empty());
    EXPECT_TRUE(r.cut_files().empty());

    // An infinite density: non-finite from the first frequency on.
    files = default_material_files();
    files.bulk_density = "    1\n            Infinity\n";
    r = run_with(DeckBuilder().text(), files);
    EXPECT_EQ(r.status, 5) << r.err;
    EXPECT_TRUE(contains(r.err, "frequency number 10 ")) << r.err;
    EXPECT_TRUE(r.cut_files().empty());

    // An infinite shear modulus.
    files = default_material_files();
    files.s_modulus = "    1\n" + modulus_line(1.0, std::numeric_limits<double>::infinity(), 0.0) +
                      files.s_modulus.substr(files.s_modulus.find('\n', 6) + 1);
    r = run_with(DeckBuilder().text(), files);
    EXPECT_EQ(r.status, 5) << r.err;
    EXPECT_TRUE(contains(r.err, "frequency number 10 ")) << r.err;
}

// Mistakes a run goes through with: one warning line on standard error each,
// and standard output and every file as the same values typed correctly give
// them.
TEST(BadInput, NumberPastItsFieldWarnsAndChangesNoOutput) {
    // ysize = 8.0e1 with a 0 typed into column 21, against the same value
    // followed by a label: labels written against a field do not warn.
    DeckBuilder cut = converging_deck();
    cut.raw("ysize", "               8.0e10 ysize");
    DeckBuilder labelled = converging_deck();
    labelled.raw("ysize", "               8.0e1m ysize").raw("ngx", "   10ngx");
    const ProgramRun a = run_with(cut.text());
    const ProgramRun b = run_with(labelled.text());
    EXPECT_EQ(a.status, 0);
    EXPECT_EQ(a.err,
              "elastofreq: warning: ysize (record 9), line 9 of standard input: the number runs "
              "past column 20: \"8.0e1\" is read and \"0\" after it is not; keep the number "
              "within columns 1 to 20\n");
    EXPECT_EQ(b.err, "");
    EXPECT_EQ(a.status, b.status);
    // but for the CPU-time line
    EXPECT_EQ(a.out.substr(0, a.out.find("tiempo=")), b.out.substr(0, b.out.find("tiempo=")));
    ASSERT_EQ(a.folder->files(), b.folder->files());
    for (const std::string& name : a.folder->files()) EXPECT_EQ(a.file(name), b.file(name)) << name;
}

TEST(BadInput, BandAboveTheNyquistFrequencyWarnsOnce) {
    // The band typed in Hz: f4 = 25 kHz against a Nyquist frequency of
    // about 2 kHz (dt = 0.1 h / vp with 10 m elements and vp = 4.08 m/msec).
    DeckBuilder deck = converging_deck();
    deck.f3 = 18.0;
    deck.f4 = 25.0;
    const ProgramRun r = run_with(deck.text());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(count_of(r.err, "warning: the band reaches f4 = 25 kHz (record 19), above the "
                              "Nyquist frequency 2.04"),
              1)
        << r.err;
    EXPECT_EQ(count_of(r.err, "msec: frequency numbers 2 to 10 (2.5 to 22.5 kHz) are lost in the "
                              "traces and snapshots; frequencies are in kHz: was the band given "
                              "in Hz?\n"),
              1)
        << r.err;
}

TEST(BadInput, FrequenciesNotConvergedWarnAtTheEnd) {
    // The default deck leaves maxiter = 50 iterations: most frequencies stop
    // short. The warning counts the "NO convergence" lines of the summary.
    const ProgramRun r = run_with(DeckBuilder().text());
    EXPECT_EQ(r.status, 0);
    const int not_converged = count_of(r.out, " NO convergence  for freq. #");
    ASSERT_GT(not_converged, 0);
    EXPECT_EQ(count_of(r.err, "\n"), 1) << r.err;
    EXPECT_EQ(r.err.rfind("elastofreq: warning: " + std::to_string(not_converged) +
                              " of 9 frequencies did not converge within maxiter = 50 (maxlow = "
                              "20 in the low range) outer iterations; the largest relative "
                              "error left is ",
                          0),
              0u)
        << r.err;
}

TEST(BadInput, OutputFileThatCannotBeCreated) {
    // A directory where a named output file belongs: the run ends at the open.
    for (const char* name : {"vp.freq", "vz_traces.su", "filtered_spectrum"}) {
        ProgramRun r;
        r.put(default_material_files());
        std::filesystem::create_directory(r.folder->path() / name);
        r.run(DeckBuilder().text());
        expect_run_error(r, std::string("cannot create file \"") + name + "\"", name);
        EXPECT_TRUE(contains(r.err, "Is a directory")) << r.err;
    }

    // Files created later in the run: the model map of the deck reader and a
    // frequency-domain snapshot of the sweep. What was written before is
    // complete.
    for (const char* name : {"matnum_gnu", "fort.15"}) {
        ProgramRun r;
        r.put(default_material_files());
        std::filesystem::create_directory(r.folder->path() / name);
        r.run(DeckBuilder().text());
        expect_run_error(r, std::string("\"") + name + "\"", name);
        EXPECT_FALSE(r.file("source").empty()) << name;
        if (std::string(name) == "fort.15") {
            EXPECT_FALSE(r.file("vp.freq").empty());
        }
    }
}

}  // namespace
}  // namespace ef::test
