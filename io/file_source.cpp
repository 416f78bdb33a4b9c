#include "io/file_source.hpp"

#if defined(_WIN32)
// Positions as 64-bit numbers: long is 32 bits on Windows.
#define ftello _ftelli64
#define fseeko _fseeki64
#elif __has_include(<sys/stat.h>) && __has_include(<unistd.h>)
#include <sys/stat.h>
#include <unistd.h>
#define MORVANE_STAT_FILES 1
#endif

#include "containers/at_once.hpp"

#include <cerrno>
#include <vector>

namespace morvane {

file_source::file_source(std::FILE* file) : file_(file) {
    // A regular file tells its size; a pipe or terminal does not, and then the
    // buffer simply grows as bytes arrive.
    std::setvbuf(file_, nullptr, _IONBF, 0);
#if defined(MORVANE_STAT_FILES)
    // A directory can seek to an end far past any real size; only a regular
    // file's end is its size. Reading anything else fails or grows as it goes.
    struct stat info {};
    const int fd = ::fileno(file_);
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return;
#endif
    const std::int64_t here = ftello(file_);
    if (here >= 0 && fseeko(file_, 0, SEEK_END) == 0) {
        const std::int64_t end = ftello(file_);
        if (end >= here) size_ = static_cast<std::uint64_t>(end - here);
        if (fseeko(file_, here, SEEK_SET) != 0) size_.reset();
    }
    std::clearerr(file_);
}

std::size_t file_source::read(char* dst, std::size_t max) {
    const std::size_t n = std::fread(dst, 1, max, file_);
    if (n == 0 && std::ferror(file_) != 0) throw read_error("read failed");
    return n;
}

std::size_t file_source::read_in_pieces(char* dst, std::size_t n, std::size_t pieces) {
#if defined(MORVANE_STAT_FILES)
    const std::int64_t here = size_ && pieces > 1 ? ftello(file_) : -1;
    if (here >= 0) {
        const int fd = ::fileno(file_);
        std::vector<std::size_t> got(pieces);
        run_all_at_once(pieces, [&](std::size_t k) {
            const std::size_t from = slice_start(n, pieces, k);
            const std::size_t to = slice_start(n, pieces, k + 1);
            std::size_t& done = got[k];
            while (from + done < to) {
                const std::size_t at = from + done;
                const ::ssize_t r = ::pread(fd, dst + at, to - at, here + static_cast<::off_t>(at));
                if (r > 0)
                    done += static_cast<std::size_t>(r);
                else if (r == 0)
                    break;
                else if (errno != EINTR)
                    throw read_error("read failed");
            }
        });
        // The bytes count up to the first piece that came short (the file
        // shrank meanwhile); reading goes on from there.
        std::size_t total = 0;
        for (std::size_t k = 0; k < pieces; ++k) {
            total += got[k];
            if (got[k] != slice_start(n, pieces, k + 1) - slice_start(n, pieces, k)) break;
        }
        if (fseeko(file_, here + static_cast<std::int64_t>(total), SEEK_SET) != 0)
            throw read_error("read failed");
        return total;
    }
#endif
    return input_source::read_in_pieces(dst, n, pieces);
}

} // namespace morvane
