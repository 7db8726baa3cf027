#include "output/pending_file.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#include "common/stop.hpp"

namespace ef {

PendingFile::PendingFile(std::filesystem::path final_path) : final_(std::move(final_path)) {
    std::string pattern = final_.string() + ".partial-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        throw RunError(final_.string() + ": cannot create a file next to it: " +
                       std::strerror(errno));
    // mkstemp makes the file private; give it the mode a plain create would.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const int mode_status = ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    temporary_ = pattern;
    if (mode_status != 0) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
        throw RunError(final_.string() + ": cannot set the mode of a file next to it");
    }
}

PendingFile::~PendingFile() {
    if (committed_) return;
    std::error_code ignored;
    std::filesystem::remove(temporary_, ignored);
}

void PendingFile::commit() {
    std::error_code error;
    std::filesystem::rename(temporary_, final_, error);
    if (error) throw RunError(final_.string() + ": cannot write the file: " + error.message());
    committed_ = true;
}

}  // namespace ef
