#include "model/survey_file.hpp"

#include <toml++/toml.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <sstream>

#include "common/stop.hpp"
#include "model/toml_text_guard.hpp"

namespace ef {

namespace {

// Receivers along a line: enough for any grid the solvers take, and a bound
// that keeps a mistyped count from asking for gigabytes.
constexpr std::int64_t kMaxLineReceivers = 100000;

std::string number_text(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    return buf;
}

int line_of(const toml::source_region& where) {
    return std::max(1, static_cast<int>(where.begin.line));
}

std::string_view type_name(const toml::node& node) {
    switch (node.type()) {
        case toml::node_type::table: return "a table";
        case toml::node_type::array: return "an array";
        case toml::node_type::string: return "a string";
        case toml::node_type::integer: return "an integer";
        case toml::node_type::floating_point: return "a floating-point number";
        case toml::node_type::boolean: return "a boolean";
        default: return "a date or time";
    }
}

// Names what is wrong and where: "FILE:LINE: KEY: what".
class Faults {
public:
    explicit Faults(std::string file) : file_(std::move(file)) {}

    [[noreturn]] void at(int line, const std::string& key, const std::string& what) const {
        throw RunError(file_ + ":" + std::to_string(line) + ": " + key + ": " + what);
    }
    [[noreturn]] void wrong_type(const toml::node& node, const std::string& key,
                                 std::string_view expected) const {
        at(line_of(node.source()), key,
           "expected " + std::string(expected) + ", found " + std::string(type_name(node)));
    }

private:
    std::string file_;
};

// The keys of one table, read by name; what the table holds beyond the
// allowed names is refused.
class TableReader {
public:
    TableReader(const toml::table& table, std::string path, const Faults& faults)
        : table_(table), path_(std::move(path)), faults_(faults) {}

    std::string key(std::string_view name) const {
        return path_.empty() ? std::string(name) : path_ + "." + std::string(name);
    }
    int line() const { return line_of(table_.source()); }
    const Faults& faults() const { return faults_; }

    // The first key in file order that is not among `allowed`.
    void allow_only(std::initializer_list<std::string_view> allowed) const {
        const toml::key* unknown = nullptr;
        for (auto&& [k, v] : table_) {
            if (std::find(allowed.begin(), allowed.end(), k.str()) != allowed.end()) continue;
            if (unknown == nullptr || line_of(k.source()) < line_of(unknown->source())) unknown = &k;
        }
        if (unknown != nullptr) {
            std::string names;
            for (std::string_view a : allowed) names += (names.empty() ? "" : ", ") + std::string(a);
            faults_.at(line_of(unknown->source()), key(unknown->str()),
                       "unknown key (this table takes " + names + ")");
        }
    }

    const toml::node* find(std::string_view name) const { return table_.get(name); }

    const toml::node& require(std::string_view name) const {
        const toml::node* node = find(name);
        if (node == nullptr) faults_.at(line(), key(name), "missing required key");
        return *node;
    }

    double number(std::string_view name, std::optional<double> fallback) const {
        const toml::node* node = fallback ? find(name) : &require(name);
        if (node == nullptr) return *fallback;
        return finite_number(*node, key(name), faults_);
    }

    std::int64_t integer(std::string_view name, std::int64_t fallback) const {
        const toml::node* node = find(name);
        if (node == nullptr) return fallback;
        if (!node->is_integer()) faults_.wrong_type(*node, key(name), "an integer");
        return node->as_integer()->get();
    }

    std::string text(std::string_view name, std::optional<std::string> fallback) const {
        const toml::node* node = fallback ? find(name) : &require(name);
        if (node == nullptr) return *fallback;
        if (!node->is_string()) faults_.wrong_type(*node, key(name), "a string");
        const std::string& value = node->as_string()->get();
        const bool control = std::any_of(value.begin(), value.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
        });
        if (value.empty() || control)
            faults_.at(line_of(node->source()), key(name),
                       "must be a non-empty text without control characters");
        return value;
    }

    // One of `choices`; returns its index.
    int choice(std::string_view name, std::initializer_list<std::string_view> choices,
               std::optional<int> fallback) const {
        const std::optional<std::string> default_text =
            fallback ? std::optional<std::string>(std::string(choices.begin()[*fallback]))
                     : std::nullopt;
        const std::string value = text(name, default_text);
        const auto found = std::find(choices.begin(), choices.end(), value);
        if (found == choices.end()) {
            std::string names;
            for (std::string_view c : choices) names += (names.empty() ? "\"" : ", \"") + std::string(c) + "\"";
            faults_.at(line_of(find(name)->source()), key(name),
                       "\"" + value + "\" is not one of " + names);
        }
        return static_cast<int>(found - choices.begin());
    }

    // A finite integer or floating-point value.
    static double finite_number(const toml::node& node, const std::string& key,
                                const Faults& faults) {
        if (!node.is_number()) faults.wrong_type(node, key, "a number");
        const double v = node.value<double>().value_or(0.0);
        if (!std::isfinite(v)) faults.at(line_of(node.source()), key, "not a finite number");
        return v;
    }

    const toml::array& array(std::string_view name) const {
        const toml::node& node = require(name);
        if (!node.is_array()) faults_.wrong_type(node, key(name), "an array");
        return *node.as_array();
    }

    // The numbers of an array, each finite.
    std::vector<double> numbers(std::string_view name) const {
        std::vector<double> out;
        const toml::array& values = array(name);
        for (std::size_t k = 0; k < values.size(); ++k)
            out.push_back(finite_number(values[k], key(name) + "[" + std::to_string(k + 1) + "]",
                                        faults_));
        return out;
    }

    TableReader table(std::string_view name) const {
        const toml::node* node = find(name);
        if (node == nullptr) return TableReader(empty_, key(name), faults_);
        if (!node->is_table()) faults_.wrong_type(*node, key(name), "a table");
        return TableReader(*node->as_table(), key(name), faults_);
    }

private:
    static inline const toml::table empty_{};
    const toml::table& table_;
    std::string path_;
    const Faults& faults_;
};

SurveyBoundaries read_boundaries(const TableReader& t) {
    t.allow_only({"top", "absorbing", "pml_elements", "pml_reflection", "pml_velocity"});
    SurveyBoundaries b;
    b.free_top = t.choice("top", {"free", "absorbing"}, 0) == 0;
    b.absorbing = t.choice("absorbing", {"pml", "first-order"}, 0) == 0
                      ? AbsorbingBoundary::pml
                      : AbsorbingBoundary::first_order;
    const std::int64_t elements = t.integer("pml_elements", b.pml_elements);
    if (elements < 1 || elements > 100000)
        t.faults().at(line_of(t.find("pml_elements")->source()), t.key("pml_elements"),
                      std::to_string(elements) + " elements: give 1 to 100000");
    b.pml_elements = static_cast<int>(elements);
    b.pml_reflection = t.number("pml_reflection", b.pml_reflection);
    if (!(b.pml_reflection > 0.0 && b.pml_reflection < 1.0))
        t.faults().at(line_of(t.find("pml_reflection")->source()), t.key("pml_reflection"),
                      number_text(b.pml_reflection) + " is not a reflection coefficient"
                      " between 0 and 1 (both excluded)");
    if (t.find("pml_velocity") != nullptr) {
        b.pml_velocity = t.number("pml_velocity", std::nullopt);
        if (!(b.pml_velocity > 0.0))
            t.faults().at(line_of(t.find("pml_velocity")->source()), t.key("pml_velocity"),
                          number_text(b.pml_velocity) + " m/ms: a velocity must be positive");
    }
    return b;
}

Shot read_shot(const TableReader& t) {
    Shot s;
    s.x = t.number("x", std::nullopt);
    s.line = line_of(t.find("x")->source());
    s.y = t.number("y", std::nullopt);
    s.kind = static_cast<ShotKind>(
        t.choice("kind", {"force_x", "force_y", "explosion", "moment"}, std::nullopt));
    s.amplitude = t.number("amplitude", 1.0);
    if (s.kind != ShotKind::moment) {
        t.allow_only({"x", "y", "kind", "amplitude"});
        return s;
    }
    t.allow_only({"x", "y", "kind", "amplitude", "mxx", "myy", "mxy"});
    if (t.find("mxx") == nullptr && t.find("myy") == nullptr && t.find("mxy") == nullptr)
        t.faults().at(t.line(), t.key("mxx"), "a moment shot needs mxx, myy or mxy");
    s.mxx = t.number("mxx", 0.0);
    s.myy = t.number("myy", 0.0);
    s.mxy = t.number("mxy", 0.0);
    return s;
}

void read_shots(const TableReader& root, Survey& survey) {
    const toml::array& shots = root.array("shots");
    if (shots.empty())
        root.faults().at(line_of(root.find("shots")->source()), "shots", "no shot given");
    for (std::size_t k = 0; k < shots.size(); ++k) {
        const std::string key = "shots[" + std::to_string(k + 1) + "]";
        if (!shots[k].is_table()) root.faults().wrong_type(shots[k], key, "a table");
        survey.shots.push_back(read_shot(TableReader(*shots[k].as_table(), key, root.faults())));
    }
}

// Receivers listed one by one: x = [...], y = [...].
void read_receiver_list(const TableReader& t, Survey& survey) {
    t.allow_only({"x", "y"});
    survey.receiver_x = t.numbers("x");
    survey.receiver_y = t.numbers("y");
    const toml::array& xs = t.array("x");
    const toml::array& ys = t.array("y");
    if (xs.empty()) t.faults().at(line_of(xs.source()), t.key("x"), "no receiver given");
    if (ys.size() != xs.size())
        t.faults().at(line_of(ys.source()), t.key("y"),
                      std::to_string(ys.size()) + " values where " + t.key("x") + " has " +
                          std::to_string(xs.size()));
    for (std::size_t k = 0; k < xs.size(); ++k) survey.receiver_line.push_back(line_of(xs[k].source()));
    survey.receiver_key = t.key("x");
}

std::pair<double, double> read_point(const TableReader& t, std::string_view name) {
    const std::vector<double> xy = t.numbers(name);
    if (xy.size() != 2)
        t.faults().at(line_of(t.find(name)->source()), t.key(name),
                      "expected [x, y], found " + std::to_string(xy.size()) + " values");
    return {xy[0], xy[1]};
}

// Receivers evenly along a line: from = [x0, y0], to = [x1, y1], count = n.
void read_receiver_line(const TableReader& t, Survey& survey) {
    t.allow_only({"from", "to", "count"});
    const auto [x0, y0] = read_point(t, "from");
    const auto [x1, y1] = read_point(t, "to");
    t.require("count");
    const std::int64_t count = t.integer("count", 0);
    if (count < 1 || count > kMaxLineReceivers)
        t.faults().at(line_of(t.find("count")->source()), t.key("count"),
                      std::to_string(count) + " receivers: give 1 to " +
                          std::to_string(kMaxLineReceivers));
    const int line = line_of(t.find("from")->source());
    for (std::int64_t k = 0; k < count; ++k) {
        // a + f (b - a), the last one b itself: the ends exactly, and a line
        // along an edge stays on it ((1 - f) a + f a can exceed a by one
        // unit in the last place, which puts a receiver outside the model).
        const double f = count == 1 ? 0.0 : static_cast<double>(k) / static_cast<double>(count - 1);
        const bool last = count > 1 && k == count - 1;
        survey.receiver_x.push_back(last ? x1 : x0 + f * (x1 - x0));
        survey.receiver_y.push_back(last ? y1 : y0 + f * (y1 - y0));
        survey.receiver_line.push_back(line);
    }
    survey.receiver_key = t.key("from");
}

void read_receivers(const TableReader& root, Survey& survey) {
    root.require("receivers");
    const TableReader t = root.table("receivers");
    const bool listed = t.find("x") != nullptr || t.find("y") != nullptr;
    const bool along_line =
        t.find("from") != nullptr || t.find("to") != nullptr || t.find("count") != nullptr;
    if (listed && along_line)
        t.faults().at(t.line(), "receivers",
                      "give either x and y, or from, to and count, not both");
    if (along_line)
        read_receiver_line(t, survey);
    else
        read_receiver_list(t, survey);
}

std::string read_output_name(const TableReader& root) {
    const TableReader t = root.table("output");
    t.allow_only({"name"});
    const std::string name = t.text("name", std::string("survey"));
    if (name.find('/') != std::string::npos || name == "." || name == "..")
        t.faults().at(line_of(t.find("name")->source()), t.key("name"),
                      "\"" + name + "\" is not a file name (the outputs go to the working"
                      " directory; no folder part)");
    return name;
}

}  // namespace

std::string_view shot_kind_name(ShotKind kind) {
    switch (kind) {
        case ShotKind::force_x: return "force_x";
        case ShotKind::force_y: return "force_y";
        case ShotKind::explosion: return "explosion";
        case ShotKind::moment: return "moment";
    }
    return "?";
}

Survey parse_survey(std::string_view text, const std::filesystem::path& file) {
    const Faults faults(file.string());
    toml::table root;
    reject_non_ascii_syntax(text, file.string());  // before toml++ sees the text
    try {
        root = toml::parse(text, file.string());
    } catch (const toml::parse_error& e) {
        throw RunError(file.string() + ":" + std::to_string(line_of(e.source())) +
                       ": TOML syntax error: " + std::string(e.description()));
    }
    const TableReader top(root, "", faults);
    top.allow_only({"deck", "boundaries", "shots", "receivers", "output"});

    Survey survey;
    survey.file = file;
    const std::filesystem::path deck = top.text("deck", std::nullopt);
    survey.deck_line = line_of(top.find("deck")->source());
    survey.deck = deck.is_absolute() ? deck : file.parent_path() / deck;
    survey.boundaries = read_boundaries(top.table("boundaries"));
    read_shots(top, survey);
    read_receivers(top, survey);
    survey.output_name = read_output_name(top);
    return survey;
}

Survey read_survey_file(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::error_code ignored;
    if (!in || std::filesystem::is_directory(file, ignored))
        throw RunError(file.string() + ": cannot open the survey file");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw RunError(file.string() + ": cannot read the survey file");
    return parse_survey(text.str(), file);
}

void check_survey_positions(const Survey& survey, const RunParams& p) {
    const Faults faults(survey.file.string());
    const auto outside = [&](double x, double y) {
        return !(x >= 0.0 && x <= p.xsize && y >= 0.0 && y <= p.ysize);
    };
    const std::string extent = "the model of " + survey.deck.string() + " spans x = 0 to " +
                               number_text(p.xsize) + " m and y = 0 to " + number_text(p.ysize) +
                               " m, its edges included";
    for (std::size_t k = 0; k < survey.shots.size(); ++k) {
        const Shot& s = survey.shots[k];
        if (outside(s.x, s.y))
            faults.at(s.line, "shots[" + std::to_string(k + 1) + "]",
                      "the shot at (" + number_text(s.x) + ", " + number_text(s.y) +
                          ") m is outside the model: " + extent);
    }
    for (std::size_t k = 0; k < survey.receiver_x.size(); ++k) {
        if (!outside(survey.receiver_x[k], survey.receiver_y[k])) continue;
        const std::string key = survey.receiver_key == "receivers.x"
                                    ? "receivers.x[" + std::to_string(k + 1) + "]"
                                    : survey.receiver_key;
        faults.at(survey.receiver_line[k], key,
                  "receiver " + std::to_string(k + 1) + " at (" +
                      number_text(survey.receiver_x[k]) + ", " +
                      number_text(survey.receiver_y[k]) + ") m is outside the model: " + extent);
    }
}

}  // namespace ef
