// The unit table: numbered Fortran units bound to the standard streams, to
// files opened by name and to the fort.N files of units written unopened.
#include "common/units.hpp"

#include <cstdio>
#include <filesystem>
#include <istream>
#include <ostream>
#include <string>

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
            const std::size_t written = std::fwrite(buffer.data(), 1, buffer.size(), file);
            buffer.clear();
            if (written == 0) throw RunError("cannot write to " + name);
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

Units::Units(std::istream& in, std::ostream& out, std::string directory)
    : in_(in), out_(out), directory_(std::move(directory)) {}

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
            throw RunError("cannot open file \"" + name + "\" on unit " + std::to_string(unit) +
                           " with status old: no such file");
    } else if (!exists) {
        std::FILE* f = std::fopen(stream->path.c_str(), "ab");
        if (f == nullptr)
            throw RunError("cannot create file \"" + name + "\" on unit " +
                           std::to_string(unit));
        std::fclose(f);
    }
    auto it = units_.find(unit);
    if (it != units_.end()) it->second->flush();
    units_[unit] = std::move(stream);
}

Units::Stream& Units::output(int unit) {
    auto it = units_.find(unit);
    if (it == units_.end()) {
        if (unit == kStandardInput) throw RunError("cannot write to standard input (unit 5)");
        auto stream = std::make_unique<Stream>();
        if (unit == kStandardOutput) {
            stream->name = "standard output";
            stream->standard = true;
        } else {
            stream->name = fort_name(unit);
            stream->path = (std::filesystem::path(directory_) / stream->name).string();
        }
        it = units_.emplace(unit, std::move(stream)).first;
    }
    Stream& s = *it->second;
    if (!s.writing && !s.standard) {
        s.file = std::fopen(s.path.c_str(), "wb");
        if (s.file == nullptr) throw RunError("cannot write file \"" + s.name + "\"");
    }
    s.writing = true;
    return s;
}

Units::Stream& Units::input(int unit) {
    auto it = units_.find(unit);
    if (it == units_.end()) {
        if (unit == kStandardOutput) throw RunError("cannot read from standard output (unit 6)");
        auto stream = std::make_unique<Stream>();
        if (unit == kStandardInput) {
            stream->name = "standard input";
            stream->standard = true;
        } else {
            // an unopened unit reads its fort.N file, which must exist
            stream->name = fort_name(unit);
            stream->path = (std::filesystem::path(directory_) / stream->name).string();
        }
        it = units_.emplace(unit, std::move(stream)).first;
    }
    Stream& s = *it->second;
    if (s.writing) throw RunError("cannot read \"" + s.name + "\" after writing it");
    if (!s.loaded && !s.standard) {
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
    s.buffer += text;
    if (s.buffer.size() >= kDrainSize) s.drain();
}

namespace {

// The next record of an input stream, without its line end. False at the
// end of the file.
bool next_line(std::istream& in, std::string& line) {
    if (!std::getline(in, line)) return false;
    return true;
}

}  // namespace

std::string Units::read_record(int unit, std::string_view what) {
    Stream& s = input(unit);
    std::string line;
    bool got = false;
    if (s.standard) {
        got = next_line(in_, line);
    } else if (s.offset < s.content.size()) {
        const std::size_t end = s.content.find('\n', s.offset);
        const std::size_t stop = end == std::string::npos ? s.content.size() : end;
        line.assign(s.content, s.offset, stop - s.offset);
        s.offset = end == std::string::npos ? s.content.size() : end + 1;
        got = true;
    }
    ++s.records_read;
    if (!got)
        throw RunError("end of file reading " + std::string(what) + " from " + s.name +
                       ", record " + std::to_string(s.records_read));
    // a CR of a CRLF line end belongs to the line end, not to the record
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

namespace {

// The characters of a field of width w at column `from` of a record, padded
// with blanks where the record is shorter.
std::string field_of(const std::string& record, std::size_t from, std::size_t w) {
    std::string field(w, ' ');
    if (from < record.size()) {
        const std::size_t n = std::min(w, record.size() - from);
        field.replace(0, n, record, from, n);
    }
    return field;
}

}  // namespace

template <class Read>
static auto with_record_context(const std::string& name, long record, Read&& read) {
    try {
        return read();
    } catch (const RunError& e) {
        throw RunError(std::string(e.what()) + " in " + name + ", record " +
                       std::to_string(record));
    }
}

std::int32_t Units::read_i5(int unit, std::string_view what) {
    const std::string record = read_record(unit, what);
    const Stream& s = *units_.at(unit);
    return with_record_context(s.name, s.records_read,
                               [&] { return read_int_field(field_of(record, 0, 5), what); });
}

double Units::read_e20(int unit, int d, std::string_view what) {
    const std::string record = read_record(unit, what);
    const Stream& s = *units_.at(unit);
    return with_record_context(s.name, s.records_read, [&] {
        return read_real_field(field_of(record, 0, 20), d, what);
    });
}

void Units::read_3e20(int unit, int d, double out[3], std::string_view what) {
    const std::string record = read_record(unit, what);
    const Stream& s = *units_.at(unit);
    with_record_context(s.name, s.records_read, [&] {
        for (std::size_t k = 0; k < 3; ++k)
            out[k] = read_real_field(field_of(record, 20 * k, 20), d, what);
        return 0;
    });
}

double Units::read_list(int unit, std::string_view what) {
    for (;;) {
        const std::string record = read_record(unit, what);
        if (!list_line_has_value(record)) continue;
        const Stream& s = *units_.at(unit);
        return with_record_context(s.name, s.records_read,
                                   [&] { return read_list_real(record, what, 0.0); });
    }
}

void Units::flush_all() {
    for (auto& [unit, stream] : units_) stream->flush();
    out_.flush();
}

std::string Units::name_of(int unit) const {
    auto it = units_.find(unit);
    if (it != units_.end()) return it->second->name;
    if (unit == kStandardInput) return "standard input";
    if (unit == kStandardOutput) return "standard output";
    return fort_name(unit);
}

}  // namespace ef
