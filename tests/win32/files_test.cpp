// "config.cfg" through the Windows file calls: files are opened unshared, and a file
// that cannot be opened for writing keeps its bytes.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "settings/settings_files.h"

namespace kestrava::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

void write_file(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

class Win32Files : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               (std::string("kestrava-win32-files-") +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        files_ = make_system_files();
    }
    void TearDown() override {
        ::SetFileAttributesW(path().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    fs::path path() const { return dir_ / "config.cfg"; }

    fs::path dir_;
    std::unique_ptr<SettingsFiles> files_;
};

// Another handle on the file, sharing everything it can.
HANDLE open_elsewhere(const fs::path& path) {
    return ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// What every refused replacement must leave: the old bytes and no temporary file.
void expect_untouched(const fs::path& dir, const fs::path& file, const Bytes& old) {
    EXPECT_EQ(read_file(file), old);
    EXPECT_FALSE(fs::exists(dir / "config.cfg.tmp"));
}

TEST_F(Win32Files, AFileHeldOpenElsewhereIsNotReplaced) {
    const Bytes old(32, 0x11);
    write_file(path(), old);
    const HANDLE held = open_elsewhere(path());
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(files_->replace(path(), Bytes(32, 0x22)));
    ::CloseHandle(held);
    expect_untouched(dir_, path(), old);
}

TEST_F(Win32Files, AReadOnlyFileIsNotReplaced) {
    const Bytes old(32, 0x11);
    write_file(path(), old);
    ASSERT_NE(::SetFileAttributesW(path().c_str(), FILE_ATTRIBUTE_READONLY), 0);
    // Wine run by root opens read-only files for writing all the same.
    const HANDLE probe = ::CreateFileW(path().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        ::CloseHandle(probe);
        GTEST_SKIP() << "this system lets the user write read-only files";
    }
    EXPECT_FALSE(files_->replace(path(), Bytes(32, 0x22)));
    expect_untouched(dir_, path(), old);
}

TEST_F(Win32Files, AFileHeldOpenElsewhereIsNotRead) {
    write_file(path(), Bytes(32, 0x33));
    const HANDLE held = open_elsewhere(path());
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(files_->read_prefix(path(), 32).has_value());
    ::CloseHandle(held);
    EXPECT_EQ(files_->read_prefix(path(), 32), Bytes(32, 0x33));
}

TEST_F(Win32Files, AReadOnlyFileIsStillRead) {
    write_file(path(), Bytes{1, 2, 3});
    ::SetFileAttributesW(path().c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(files_->read_prefix(path(), 32), (Bytes{1, 2, 3}));
}

TEST_F(Win32Files, ReplacingCreatesAMissingFileAndOverwritesAnExistingOne) {
    EXPECT_TRUE(files_->replace(path(), Bytes(32, 0x44)));
    EXPECT_EQ(read_file(path()), Bytes(32, 0x44));
    // A longer old file must not leave its tail behind.
    write_file(path(), Bytes(40, 0x55));
    EXPECT_TRUE(files_->replace(path(), Bytes(32, 0x66)));
    EXPECT_EQ(read_file(path()), Bytes(32, 0x66));
    EXPECT_FALSE(fs::exists(dir_ / "config.cfg.tmp"));
}

TEST_F(Win32Files, ReadingAndReplacingLeaveNoHandleOpen) {
    ASSERT_TRUE(files_->replace(path(), Bytes(32, 0x77)));
    EXPECT_EQ(files_->read_prefix(path(), 8), Bytes(8, 0x77));
    // Opening it unshared would fail if either had left a handle on it.
    const HANDLE exclusive = ::CreateFileW(path().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(exclusive, INVALID_HANDLE_VALUE);
    ::CloseHandle(exclusive);
    EXPECT_TRUE(fs::remove(path()));
}

}  // namespace
}  // namespace kestrava::test
