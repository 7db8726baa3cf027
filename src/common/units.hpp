// The unit table: every stream the programs read or write, by Fortran unit
// number. Unit 5 is standard input and unit 6 standard output; other units are
// opened by name ("old": must exist; "unknown": created if absent, and an
// existing file is rewritten from its start on the first write, so a file that
// is opened but never written keeps its old content). A unit that is written
// without having been opened is connected to "fort.N" on its first write.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "common/format.hpp"

namespace ef {

enum class FileStatus { old_file, unknown };

// What becomes of the records written to files: written, or discarded by a
// process that only computes (its "unknown" files are neither created nor
// written; "old" files are still checked and read).
enum class FileOutput { written, discarded };

class Units {
public:
    // in: unit 5, out: unit 6. The directory is where named and fort.N files
    // live (the working directory by default).
    Units(std::istream& in, std::ostream& out, std::string directory = ".",
          FileOutput files = FileOutput::written);
    ~Units();
    Units(const Units&) = delete;
    Units& operator=(const Units&) = delete;

    // Throws RunError when an "old" file does not exist or a file cannot be
    // opened or created.
    void open(int unit, const std::string& name, FileStatus status);

    // One write statement with an edit format.
    void write(int unit, const Format& fmt, std::span<const Item> items);
    void write(int unit, const Format& fmt, std::initializer_list<Item> items = {}) {
        write(unit, fmt, std::span<const Item>(items.begin(), items.size()));
    }
    // One list-directed write statement (one record).
    void list(int unit, std::span<const Item> items);
    void list(int unit, std::initializer_list<Item> items) {
        list(unit, std::span<const Item>(items.begin(), items.size()));
    }
    // Raw text appended to a unit (records already formatted, '\n' included).
    void put(int unit, std::string_view text);

    // Formatted input. Each call reads the next record (line) of the unit;
    // `what` names the value for the error message when the record is missing
    // or unreadable (RunError, naming the file and the record number).
    std::int32_t read_i5(int unit, std::string_view what);
    double read_e20(int unit, int d, std::string_view what);       // (e20.d)
    void read_3e20(int unit, int d, double out[3], std::string_view what);  // (3e20.d)
    // List-directed real: empty lines are passed over; a null value gives 0.0.
    double read_list(int unit, std::string_view what);
    // The same; a null value (",", "/", "3*") leaves `previous` as it is.
    double read_list(int unit, std::string_view what, double previous);
    std::string read_record(int unit, std::string_view what);

    void flush_all();
    // Name of the file behind a unit, for messages ("standard input" for 5).
    std::string name_of(int unit) const;

    // Warnings: things a run goes through with but a user most likely got
    // wrong. Each is one line "<program>: warning: <text>" on `err`, so that
    // scripts can filter them; without warn_to (a process that only computes)
    // they are dropped. Standard output and the files never see them.
    void warn_to(std::ostream& err, std::string program);
    void warn(std::string_view text);

private:
    struct Stream;
    enum class RecordKind { formatted, list };
    std::string next_record(int unit, std::string_view what, RecordKind kind);
    // The stream of a unit, connected on first use: standard_unit to the
    // standard stream, any other unit not opened by name to fort.N.
    Stream& connected(int unit, int standard_unit, const char* standard_name);
    Stream& output(int unit);
    Stream& input(int unit);
    // Warns when the number of a record's first field runs on past its
    // `width` columns (d implied decimals, or an integer for d < 0).
    void warn_if_cut(const std::string& record, std::size_t width, int d, std::string_view what,
                     const std::string& file, long line);

    std::istream& in_;
    std::ostream& out_;
    std::string directory_;
    FileOutput files_;
    std::ostream* warnings_ = nullptr;
    std::string program_;
    std::map<int, std::unique_ptr<Stream>> units_;
};

}  // namespace ef
