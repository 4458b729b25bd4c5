#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "settings/settings_files.h"

namespace kestrava {

namespace {

bool write_all(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

class PosixFiles final : public SettingsFiles {
  public:
    std::optional<std::vector<std::uint8_t>> read_prefix(const std::filesystem::path& path,
                                                         std::size_t max_bytes) override {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return std::nullopt;
        }
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(fd);
            return std::nullopt;
        }
        std::vector<std::uint8_t> bytes(max_bytes);
        std::size_t got = 0;
        while (got < max_bytes) {
            const ssize_t n = ::read(fd, bytes.data() + got, max_bytes - got);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                ::close(fd);
                return std::nullopt;
            }
            if (n == 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        ::close(fd);
        bytes.resize(got);
        return bytes;
    }

    bool replace(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) override {
        // An existing file must be writable by us, as the original overwrite required.
        const int existing = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (existing < 0 && errno != ENOENT) {
            return false;
        }
        if (existing >= 0) {
            ::close(existing);
        }
        std::filesystem::path temporary = path;
        temporary += ".tmp";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            return false;
        }
        const bool written = write_all(fd, bytes) && ::fsync(fd) == 0;
        const bool closed = ::close(fd) == 0;
        if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
            ::unlink(temporary.c_str());
            return false;
        }
        return true;
    }
};

}  // namespace

std::unique_ptr<SettingsFiles> make_system_files() {
    return std::make_unique<PosixFiles>();
}

}  // namespace kestrava
