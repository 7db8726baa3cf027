// An output file written under a temporary name in its final folder and given
// its final name only once complete, so that a failed run leaves neither a
// half-written file nor a stray temporary behind.
#pragma once

#include <filesystem>

namespace ef {

class PendingFile {
public:
    // Creates the temporary file ("<name>.partial-XXXXXX" next to `final_path`).
    explicit PendingFile(std::filesystem::path final_path);
    // Removes the temporary file unless committed.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    const std::filesystem::path& temporary() const { return temporary_; }
    const std::filesystem::path& final_path() const { return final_; }

    // Renames the temporary file to the final name, replacing any file there.
    void commit();

private:
    std::filesystem::path final_, temporary_;
    bool committed_ = false;
};

}  // namespace ef
