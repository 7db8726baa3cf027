// The unit table: numbered Fortran units bound to the standard streams, to
// files opened by name and to the fort.N files of units written unopened.
#include "common/units.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <istream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <utility>

#include "common/cut_number.hpp"
#include "common/stop.hpp"

namespace ef {

namespace {

// Output collects in memory and goes to the file in large blocks.
constexpr std::size_t kDrainSize = std::size_t{1} << 20;

constexpr int kStandardInput = 5;
constexpr int kStandardOutput = 6;

std::string fort_name(int unit) { return "fort." + std::to_string(unit); }

}  // namespace

struct Units::Stream {
    std::string name;  // as the program names it, for messages
    std::string path;  // where it lives
    bool standard = false;

    // output: the file is (re)written from its start on the first write
    std::FILE* file = nullptr;
    bool writing = false;
    std::string buffer;

    // input: the whole file is read on the first read
    bool loaded = false;
    std::string content;
    std::size_t offset = 0;
    long records_read = 0;

    ~Stream() { close(); }

    void drain() {
        if (file != nullptr && !buffer.empty()) {
            const std::size_t size = buffer.size();
            const std::size_t written = std::fwrite(buffer.data(), 1, size, file);
            buffer.clear();
            if (written != size)
                throw RunError("cannot write to " + name + ": " + std::strerror(errno));
        }
    }
    void flush() {
        drain();
        if (file != nullptr) std::fflush(file);
    }
    void close() noexcept {
        if (file == nullptr) return;
        if (!buffer.empty()) std::fwrite(buffer.data(), 1, buffer.size(), file);
        buffer.clear();
        std::fclose(file);
        file = nullptr;
    }
};

Units::Units(std::istream& in, std::ostream& out, std::string directory, FileOutput files)
    : in_(in), out_(out), directory_(std::move(directory)), files_(files) {}

Units::~Units() {
    try {
        flush_all();
    } catch (...) {
        // a destructor reports nothing; flush_all is called explicitly before any exit
    }
}

void Units::open(int unit, const std::string& name, FileStatus status) {
    namespace fs = std::filesystem;
    auto stream = std::make_unique<Stream>();
    stream->name = name;
    stream->path = (fs::path(directory_) / name).string();
    std::error_code ec;
    const bool exists = fs::exists(stream->path, ec) && !fs::is_directory(stream->path, ec);
    if (status == FileStatus::old_file) {
        if (!exists)
            throw RunError("cannot open file \"" + name + "\": no such file");
    } else if (!exists && files_ == FileOutput::written) {
        std::FILE* f = std::fopen(stream->path.c_str(), "ab");
        if (f == nullptr)
            throw RunError("cannot create file \"" + name + "\" on unit " +
                           std::to_string(unit) + ": " + std::strerror(errno));
        std::fclose(f);
    }
    auto it = units_.find(unit);
    if (it != units_.end()) it->second->flush();
    units_[unit] = std::move(stream);
}

Units::Stream& Units::connected(int unit, int standard_unit, const char* standard_name) {
    auto it = units_.find(unit);
    if (it == units_.end()) {
        auto stream = std::make_unique<Stream>();
        if (unit == standard_unit) {
            stream->name = standard_name;
            stream->standard = true;
        } else {
            // a unit not opened by name is the file fort.N
            stream->name = fort_name(unit);
            stream->path = (std::filesystem::path(directory_) / stream->name).string();
        }
        it = units_.emplace(unit, std::move(stream)).first;
    }
    return *it->second;
}

Units::Stream& Units::output(int unit) {
    if (unit == kStandardInput && units_.find(unit) == units_.end())
        throw RunError("cannot write to standard input (unit 5)");
    Stream& s = connected(unit, kStandardOutput, "standard output");
    if (s.standard && unit == kStandardInput)
        throw RunError("cannot write to standard input (unit 5)");
    if (!s.writing && !s.standard && files_ == FileOutput::written) {
        s.file = std::fopen(s.path.c_str(), "wb");
        if (s.file == nullptr)
            throw RunError("cannot write file \"" + s.name + "\": " + std::strerror(errno));
    }
    s.writing = true;
    return s;
}

Units::Stream& Units::input(int unit) {
    if (unit == kStandardOutput && units_.find(unit) == units_.end())
        throw RunError("cannot read from standard output (unit 6)");
    // an unopened unit other than 5 reads its fort.N file, which must exist
    Stream& s = connected(unit, kStandardInput, "standard input");
    if (s.writing) throw RunError("cannot read \"" + s.name + "\" after writing it");
    if (!s.loaded && s.standard) {
        // the deck is read once, as a whole
        s.content.assign(std::istreambuf_iterator<char>(in_), std::istreambuf_iterator<char>());
    } else if (!s.loaded) {
        std::FILE* f = std::fopen(s.path.c_str(), "rb");
        if (f == nullptr) throw RunError("cannot open file \"" + s.name + "\" for reading");
        char block[1 << 16];
        std::size_t got;
        while ((got = std::fread(block, 1, sizeof block, f)) > 0) s.content.append(block, got);
        std::fclose(f);
    }
    s.loaded = true;
    return s;
}

void Units::write(int unit, const Format& fmt, std::span<const Item> items) {
    Stream& s = output(unit);
    if (s.standard) {
        std::string text;
        fmt.append(text, items);
        out_ << text;
        return;
    }
    if (files_ == FileOutput::discarded) return;
    fmt.append(s.buffer, items);
    if (s.buffer.size() >= kDrainSize) s.drain();
}

void Units::list(int unit, std::span<const Item> items) { put(unit, list_record(items)); }

void Units::put(int unit, std::string_view text) {
    Stream& s = output(unit);
    if (s.standard) {
        out_ << text;
        return;
    }
    if (files_ == FileOutput::discarded) return;
    s.buffer += text;
    if (s.buffer.size() >= kDrainSize) s.drain();
}

std::string Units::read_record(int unit, std::string_view what) {
    return next_record(unit, what, RecordKind::formatted);
}

std::string Units::next_record(int unit, std::string_view what, RecordKind kind) {
    Stream& s = input(unit);
    ++s.records_read;
    const std::string& c = s.content;
    if (s.offset >= c.size())
        throw RunError("end of file reading " + std::string(what) + " from " + s.name +
                       ", record " + std::to_string(s.records_read));
    // A formatted record ends at a line feed or at a carriage return (CR LF
    // counts as one end); a list-directed read runs to the line feed and
    // takes a carriage return inside the line as a blank.
    const char* ends = kind == RecordKind::formatted ? "\r\n" : "\n";
    const std::size_t end = c.find_first_of(ends, s.offset);
    const std::size_t stop = end == std::string::npos ? c.size() : end;
    std::string line(c, s.offset, stop - s.offset);
    if (end == std::string::npos) {
        s.offset = c.size();
    } else if (c[end] == '\r' && end + 1 < c.size() && c[end + 1] == '\n') {
        s.offset = end + 2;
    } else {
        s.offset = end + 1;
    }
    if (kind == RecordKind::list && !line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

namespace {

// Cuts the formatted fields of one record in turn. A field is the next w
// characters, fewer when the record ends first (no padding: the runtime
// treats a sign at the end of a short field differently), or the characters
// before a comma, which ends a field early and is passed over.
class FieldCursor {
public:
    explicit FieldCursor(const std::string& record) : record_(record) {}

    std::string_view next(std::size_t w) {
        const std::size_t from = std::min(pos_, record_.size());
        std::size_t n = std::min(w, record_.size() - from);
        std::string_view field(record_.data() + from, n);
        const std::size_t comma = field.find(',');
        if (comma != std::string_view::npos) {
            field = field.substr(0, comma);
            n = comma + 1;
        }
        pos_ = from + n;
        return field;
    }

private:
    const std::string& record_;
    std::size_t pos_ = 0;
};

template <class Read>
auto with_record_context(const std::string& name, long record, Read&& read) {
    try {
        return read();
    } catch (const RunError& e) {
        throw RunError(std::string(e.what()) + " in " + name + ", record " +
                       std::to_string(record));
    }
}

// blanks between list items; a NUL byte is passed over as well
bool list_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\0'; }

}  // namespace

std::int32_t Units::read_i5(int unit, std::string_view what) {
    const std::string record = read_record(unit, what);
    const Stream& s = *units_.at(unit);
    FieldCursor fields(record);
    const std::int32_t value = with_record_context(
        s.name, s.records_read, [&] { return read_int_field(fields.next(5), what); });
    warn_if_cut(record, 5, -1, what, s.name, s.records_read);
    return value;
}

double Units::read_e20(int unit, int d, std::string_view what) {
    const std::string record = read_record(unit, what);
    const Stream& s = *units_.at(unit);
    FieldCursor fields(record);
    const double value = with_record_context(
        s.name, s.records_read, [&] { return read_real_field(fields.next(20), d, what); });
    warn_if_cut(record, 20, d, what, s.name, s.records_read);
    return value;
}

void Units::read_3e20(int unit, int d, double out[3], std::string_view what) {
    const std::string record = read_record(unit, what);
    const Stream& s = *units_.at(unit);
    FieldCursor fields(record);
    with_record_context(s.name, s.records_read, [&] {
        for (int k = 0; k < 3; ++k) out[k] = read_real_field(fields.next(20), d, what);
        return 0;
    });
}

double Units::read_list(int unit, std::string_view what) { return read_list(unit, what, 0.0); }

double Units::read_list(int unit, std::string_view what, double previous) {
    std::string record = next_record(unit, what, RecordKind::list);
    std::size_t p = 0;
    if (!list_line_has_value(record)) {
        // The line end after an empty record acts as a separator: the value
        // is looked for on the following records, and a comma met first is
        // taken as that separator's own comma (a slash ends the read).
        for (;;) {
            record = next_record(unit, what, RecordKind::list);
            p = 0;
            while (p < record.size() && list_blank(record[p])) ++p;
            if (p == record.size()) continue;
            if (record[p] == ',') {
                ++p;
                while (p < record.size() && list_blank(record[p])) ++p;
                if (p == record.size()) continue;
            } else if (record[p] == '/') {
                return previous;
            }
            break;
        }
    }
    const Stream& s = *units_.at(unit);
    return with_record_context(s.name, s.records_read, [&] {
        return read_list_real(std::string_view(record).substr(p), what, previous);
    });
}

void Units::flush_all() {
    for (auto& [unit, stream] : units_) stream->flush();
    out_.flush();
}

void Units::warn_to(std::ostream& err, std::string program) {
    warnings_ = &err;
    program_ = std::move(program);
}

void Units::warn(std::string_view text) {
    if (warnings_ == nullptr) return;
    *warnings_ << program_ << ": warning: " << text << '\n';
    warnings_->flush();
}

void Units::warn_if_cut(const std::string& record, std::size_t width, int d,
                        std::string_view what, const std::string& file, long line) {
    if (warnings_ == nullptr) return;
    if (const std::optional<CutNumber> cut = cut_number(record, width, d))
        warn(cut_number_warning(*cut, what, file, line, width));
}

std::string Units::name_of(int unit) const {
    auto it = units_.find(unit);
    if (it != units_.end()) return it->second->name;
    if (unit == kStandardInput) return "standard input";
    if (unit == kStandardOutput) return "standard output";
    return fort_name(unit);
}

}  // namespace ef
