#include <windows.h>

#include <string>

#include "settings/settings_files.h"

namespace kestrava {

namespace {

// Closes a file handle when it goes out of scope.
class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    [[nodiscard]] bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    [[nodiscard]] HANDLE get() const { return handle_; }
    bool close() {
        if (!valid()) {
            return true;
        }
        const bool closed = ::CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

  private:
    HANDLE handle_;
};

// Files are opened unshared (share mode 0): nobody else reads or writes them meanwhile.
HANDLE open_unshared(const std::filesystem::path& path, DWORD access, DWORD disposition) {
    return ::CreateFileW(path.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

bool write_all(HANDLE file, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(bytes.size() - done);
        if (::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) == 0 || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

class Win32Files final : public SettingsFiles {
  public:
    std::optional<std::vector<std::uint8_t>> read_prefix(const std::filesystem::path& path,
                                                         std::size_t max_bytes) override {
        FileHandle file(open_unshared(path, GENERIC_READ, OPEN_EXISTING));
        if (!file.valid()) {
            return std::nullopt;
        }
        std::vector<std::uint8_t> bytes(max_bytes);
        std::size_t got = 0;
        while (got < max_bytes) {
            DWORD n = 0;
            const auto wanted = static_cast<DWORD>(max_bytes - got);
            if (::ReadFile(file.get(), bytes.data() + got, wanted, &n, nullptr) == 0) {
                return std::nullopt;
            }
            if (n == 0) {
                break;
            }
            got += n;
        }
        bytes.resize(got);
        return bytes;
    }

    bool replace(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) override {
        // An existing file must be writable by us, as the original overwrite required:
        // a read-only file, a directory or a file held open elsewhere keeps its bytes.
        {
            FileHandle existing(open_unshared(path, GENERIC_WRITE, OPEN_EXISTING));
            if (!existing.valid() && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
                return false;
            }
        }
        std::filesystem::path temporary = path;
        temporary += L".tmp";
        FileHandle file(open_unshared(temporary, GENERIC_WRITE, CREATE_ALWAYS));
        if (!file.valid()) {
            return false;
        }
        const bool written = write_all(file.get(), bytes) && ::FlushFileBuffers(file.get()) != 0;
        const bool closed = file.close();
        if (!written || !closed ||
            ::MoveFileExW(temporary.c_str(), path.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
            ::DeleteFileW(temporary.c_str());
            return false;
        }
        return true;
    }
};

}  // namespace

std::unique_ptr<SettingsFiles> make_system_files() {
    return std::make_unique<Win32Files>();
}

}  // namespace kestrava
