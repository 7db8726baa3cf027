// Parsing of edit formats and the record writer that applies them.
#include "common/format.hpp"

#include <cctype>
#include <stdexcept>
#include <string>
#include <utility>

#include "common/edit_descriptors.hpp"
#include "common/stop.hpp"

namespace ef {

struct Format::Node {
    enum class Kind { text, skip, slash, integer, exponent, general, alpha };
    Kind kind;
    int w = 0;
    int d = 0;
    std::string text;  // the characters of a quoted string

    explicit Node(Kind k, int width = 0, int digits = 0, std::string s = {})
        : kind(k), w(width), d(digits), text(std::move(s)) {}

    bool is_data() const {
        return kind == Kind::integer || kind == Kind::exponent || kind == Kind::general ||
               kind == Kind::alpha;
    }
};

namespace {

using Node = Format::Node;

// Formats come from the code, never from input; a malformed one is a fault
// of the program.
[[noreturn]] void bad_format(std::string_view text, std::size_t pos, const char* why) {
    throw std::invalid_argument("edit format " + std::string(text) + ", column " +
                                std::to_string(pos + 1) + ": " + why);
}

constexpr std::size_t kMaxExpandedNodes = 1u << 20;

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    // Parses the whole "( ... )" and expands the repeat counts into `out`.
    void run(std::vector<Node>& out, std::size_t& reversion) {
        skip_blanks();
        if (!eat('(')) bad_format(text_, pos_, "a format begins with (");
        reversion = 0;
        parse_list(out, 0, &reversion);
        skip_blanks();
        if (pos_ != text_.size()) bad_format(text_, pos_, "text after the closing )");
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;

    void skip_blanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
    }
    bool eat(char c) {
        skip_blanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    int number() {
        skip_blanks();
        long v = 0;
        const std::size_t start = pos_;
        while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
            v = v * 10 + (text_[pos_] - '0');
            if (v > 1000000) bad_format(text_, start, "number too large");
            ++pos_;
        }
        return pos_ == start ? -1 : static_cast<int>(v);
    }
    static void push(std::vector<Node>& out, Node n) {
        if (out.size() >= kMaxExpandedNodes) throw std::invalid_argument("edit format too long");
        out.push_back(std::move(n));
    }

    // Items up to the matching ')'. At depth 0 `reversion` receives the index
    // where the last group of the list begins.
    void parse_list(std::vector<Node>& out, int depth, std::size_t* reversion) {
        for (;;) {
            skip_blanks();
            if (pos_ >= text_.size()) bad_format(text_, pos_, "missing )");
            const char c = text_[pos_];
            if (c == ')') {
                ++pos_;
                return;
            }
            if (c == ',') {
                ++pos_;
                continue;
            }
            if (c == '/') {
                ++pos_;
                push(out, Node{Node::Kind::slash});
                continue;
            }
            if (c == '\'' || c == '"') {
                push(out, Node{Node::Kind::text, 0, 0, quoted(c)});
                continue;
            }
            const std::size_t at = pos_;
            int count = number();
            const bool counted = count >= 0;
            if (!counted) count = 1;
            skip_blanks();
            if (pos_ >= text_.size()) bad_format(text_, pos_, "missing )");
            const char letter =
                static_cast<char>(std::tolower(static_cast<unsigned char>(text_[pos_])));
            if (letter == '(') {
                ++pos_;
                if (counted && count == 0) bad_format(text_, at, "zero repeat count");
                const std::size_t begin = out.size();
                if (depth == 0 && reversion != nullptr) *reversion = begin;
                std::vector<Node> body;
                parse_list(body, depth + 1, nullptr);
                for (int r = 0; r < count; ++r)
                    for (const Node& n : body) push(out, n);
                continue;
            }
            ++pos_;
            switch (letter) {
            case 'x':
                if (!counted) count = 1;
                push(out, Node{Node::Kind::skip, count});
                break;
            case 'i': {
                const int w = number();
                if (w <= 0) bad_format(text_, at, "i needs a width");
                repeat(out, count, Node{Node::Kind::integer, w});
                break;
            }
            case 'e':
            case 'g': {
                const int w = number();
                if (w <= 0 || !eat('.')) bad_format(text_, at, "e and g need w.d");
                const int d = number();
                if (d < 0) bad_format(text_, at, "e and g need w.d");
                repeat(out, count,
                       Node{letter == 'e' ? Node::Kind::exponent : Node::Kind::general, w, d});
                break;
            }
            case 'a': {
                const int w = number();
                repeat(out, count, Node{Node::Kind::alpha, w < 0 ? 0 : w});
                break;
            }
            default:
                bad_format(text_, at, "unsupported edit descriptor");
            }
        }
    }

    void repeat(std::vector<Node>& out, int count, const Node& n) {
        if (count == 0) bad_format(text_, pos_, "zero repeat count");
        for (int r = 0; r < count; ++r) push(out, n);
    }

    std::string quoted(char quote) {
        const std::size_t start = pos_;
        ++pos_;
        std::string s;
        for (;;) {
            if (pos_ >= text_.size()) bad_format(text_, start, "unterminated string");
            const char c = text_[pos_++];
            if (c == quote) {
                if (pos_ < text_.size() && text_[pos_] == quote) {
                    s += quote;
                    ++pos_;
                    continue;
                }
                return s;
            }
            s += c;
        }
    }
};

const char* kind_name(Item::Kind k) {
    switch (k) {
    case Item::Kind::integer: return "INTEGER";
    case Item::Kind::real: return "REAL";
    case Item::Kind::text: return "CHARACTER";
    }
    return "?";
}

[[noreturn]] void wrong_item(const std::string& fmt, std::size_t index, const char* expected,
                             Item::Kind got) {
    throw RunError("format " + fmt + ": expected " + expected + " for item " +
                   std::to_string(index + 1) + ", got " + kind_name(got));
}

}  // namespace

Format::Format(std::string_view text) : text_(text) {
    Parser(text).run(nodes_, reversion_);
    for (const Node& n : nodes_) has_data_ = has_data_ || n.is_data();
    bool tail_has_data = false;
    for (std::size_t k = reversion_; k < nodes_.size(); ++k)
        tail_has_data = tail_has_data || nodes_[k].is_data();
    if (!tail_has_data) reversion_ = 0;  // never loop without consuming an item
}

Format::~Format() = default;
Format::Format(const Format&) = default;
Format::Format(Format&&) noexcept = default;
Format& Format::operator=(const Format&) = default;
Format& Format::operator=(Format&&) noexcept = default;

std::string Format::apply(std::span<const Item> items) const {
    std::string out;
    append(out, items);
    return out;
}

void Format::append(std::string& out, std::span<const Item> items) const {
    std::size_t next_item = 0;
    int pending_blanks = 0;  // an nX is written only when something follows it
    const std::size_t n = nodes_.size();
    if (!items.empty() && !has_data_)
        throw RunError("format " + text_ + " has no data edit descriptor for its items");
    std::size_t pos = 0;
    for (;;) {
        if (pos == n) {
            out += '\n';
            if (next_item >= items.size()) return;
            pending_blanks = 0;
            pos = reversion_;
            continue;
        }
        const Node& node = nodes_[pos++];
        if (node.is_data()) {
            if (next_item >= items.size()) {
                out += '\n';
                return;
            }
            if (pending_blanks > 0) {
                out.append(static_cast<std::size_t>(pending_blanks), ' ');
                pending_blanks = 0;
            }
            const Item& item = items[next_item];
            switch (node.kind) {
            case Node::Kind::integer:
                if (item.kind != Item::Kind::integer)
                    wrong_item(text_, next_item, "INTEGER", item.kind);
                edit::append_i(out, item.i, node.w);
                break;
            case Node::Kind::exponent:
                if (item.kind != Item::Kind::real) wrong_item(text_, next_item, "REAL", item.kind);
                edit::append_e(out, item.r, node.w, node.d);
                break;
            case Node::Kind::general:
                if (item.kind == Item::Kind::real)
                    edit::append_g(out, item.r, node.w, node.d);
                else if (item.kind == Item::Kind::integer)
                    edit::append_i(out, item.i, node.w);
                else
                    edit::append_a(out, item.s, node.w);
                break;
            default:  // alpha
                if (item.kind != Item::Kind::text)
                    wrong_item(text_, next_item, "CHARACTER", item.kind);
                edit::append_a(out, item.s, node.w);
                break;
            }
            ++next_item;
            continue;
        }
        switch (node.kind) {
        case Node::Kind::text:
            if (pending_blanks > 0) {
                out.append(static_cast<std::size_t>(pending_blanks), ' ');
                pending_blanks = 0;
            }
            out += node.text;
            break;
        case Node::Kind::skip:
            pending_blanks += node.w;
            break;
        default:  // slash
            out += '\n';
            pending_blanks = 0;
            break;
        }
    }
}

std::string list_record(std::span<const Item> items) {
    std::string out;
    bool first = true;
    bool previous_text = false;
    for (const Item& item : items) {
        const bool text = item.kind == Item::Kind::text;
        // Every record begins with a blank; a blank separates items except
        // between two character items.
        if (first || !(text && previous_text)) out += ' ';
        first = false;
        switch (item.kind) {
        case Item::Kind::integer: edit::append_list_int(out, item.i); break;
        case Item::Kind::real: edit::append_list_real(out, item.r); break;
        case Item::Kind::text: out += item.s; break;
        }
        previous_text = text;
    }
    out += '\n';
    return out;
}

}  // namespace ef
