#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "settings/settings.h"
#include "support/fakes.h"

namespace kestrava::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

Bytes le64(std::initializer_list<std::int64_t> values) {
    Bytes bytes;
    for (const std::int64_t v : values) {
        for (int i = 0; i < 8; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * i)));
        }
    }
    return bytes;
}

Bytes read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void write_file(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// A fresh directory for one test's "config.cfg".
class SettingsDir : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("kestrava-settings-" + std::to_string(counter_++) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
#if !defined(_WIN32)
        fs::permissions(dir_, fs::perms::all);
#endif
        files_ = make_system_files();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(path(), fs::perms::owner_all, ignored);
        fs::remove_all(dir_, ignored);
    }
    fs::path path() const {
        return dir_ / "config.cfg";
    }

    fs::path dir_;
    std::unique_ptr<SettingsFiles> files_;
    static inline int counter_ = 0;
};

struct LoadCase {
    const char* name;
    std::optional<Bytes> file;         // nothing: no file at all
    std::optional<std::string> shown;  // nothing: the field stays blank
};

TEST_F(SettingsDir, LoadShowsTheStoredAddressAsTheFileDictates) {
    Bytes long_file = le64({10, 20, 30, 40});
    long_file.insert(long_file.end(), {0xFF, 0xFF, 0xFF, 0xFF});
    Bytes eleven = le64({10});
    eleven.insert(eleven.end(), {7, 1, 0});  // 8 + 3 bytes: the second number is 0x000107
    const LoadCase cases[] = {
        {"stored address", le64({192, 168, 1, 10}), "192.168.1.10"},
        {"300 carries", le64({300, 0, 0, 0}), "44.1.0.0"},
        {"-1 wraps", le64({-1, 0, 0, 0}), "255.255.255.255"},
        {"8-byte file", le64({10}), "10.0.0.0"},
        {"short second number", eleven, "10.7.1.0"},
        {"empty file", Bytes{}, "0.0.0.0"},
        {"bytes after the 32nd ignored", long_file, "10.20.30.40"},
        {"missing file", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(path());
        if (c.file) {
            write_file(path(), *c.file);
        }
        Trace trace;
        FakeToolkit ui(trace);
        FakeNet net(trace);
        Program program(ui, net, *files_, {"", "", path()});
        load_settings(program);
        if (c.shown) {
            ASSERT_EQ(trace.lines(), Lines{"ip " + *c.shown});
        } else {
            EXPECT_TRUE(trace.lines().empty());
        }
    }
}

TEST_F(SettingsDir, ADirectoryNamedLikeTheFileIsNeitherReadNorReplaced) {
    fs::create_directory(path());
    EXPECT_FALSE(files_->read_prefix(path(), 32).has_value());
    EXPECT_FALSE(files_->replace(path(), le64({1, 2, 3, 4})));
    EXPECT_TRUE(fs::is_directory(path()));
}

struct SplitCase {
    const char* text;
    OctetStrings octets;
    Bytes saved;
};

TEST_F(SettingsDir, SplitAndSaveWriteExactlyTheThirtyTwoBytes) {
    const SplitCase cases[] = {
        {"10.0.0.5", {"10", "0", "0", "5"}, le64({10, 0, 0, 5})},
        {"192.168.1.0", {"192", "168", "1", "0"}, le64({192, 168, 1, 0})},
        {"255.255.255.255", {"255", "255", "255", "255"}, le64({255, 255, 255, 255})},
        {"1.22.33.123", {"1", "22", "33", "123"}, le64({1, 22, 33, 123})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(split_address_text(c.text), c.octets);
        Trace trace;
        FakeToolkit ui(trace);
        FakeNet net(trace);
        Program program(ui, net, *files_, {"", "", path()});
        save_settings(program, split_address_text(c.text));
        EXPECT_EQ(read_file(path()), c.saved);
    }
    EXPECT_EQ(le64({10, 0, 0, 5}).size(), 32U);
    EXPECT_FALSE(fs::exists(dir_ / "config.cfg.tmp"));
}

TEST(Settings, NumberValueReadsLeadingDigitsOnly) {
    EXPECT_EQ(number_value("192"), 192);
    EXPECT_EQ(number_value("0.1.2.3"), 0);
    EXPECT_EQ(number_value("12a"), 12);
    EXPECT_EQ(number_value(""), 0);
    EXPECT_EQ(number_value(".5"), 0);
}

#if !defined(_WIN32)
// Runs `body` as an unprivileged user when the tests run as root, so that file
// permissions apply.
template <typename F>
void as_unprivileged(F body) {
    const uid_t saved = ::geteuid();
    if (saved == 0) {
        ASSERT_EQ(::setegid(65534), 0);
        ASSERT_EQ(::seteuid(65534), 0);
    }
    body();
    if (saved == 0) {
        ASSERT_EQ(::seteuid(0), 0);
        ASSERT_EQ(::setegid(0), 0);
    }
}

TEST_F(SettingsDir, AReadOnlyFileKeepsItsBytesWhileTheConfirmationGoesOn) {
    const Bytes old = le64({192, 168, 1, 10});
    write_file(path(), old);
    fs::permissions(path(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Trace trace;
    FakeToolkit ui(trace);
    FakeNet net(trace);
    Program program(ui, net, *files_, {"", "", path()});
    ui.ip = {10, 0, 0, 5};
    as_unprivileged([&] { on_confirm_ip(program); });
    EXPECT_EQ(read_file(path()), old);
    EXPECT_EQ(trace.count(Op::Send), 4U);
    EXPECT_EQ(trace.count(Op::Box), 0U);
    EXPECT_FALSE(fs::exists(dir_ / "config.cfg.tmp"));
}
#endif

// Confirm IP through the event loop, with the fakes.
TEST(ConfirmIp, RefusesAnAddressWhoseFirstNumberIsZeroWithoutAnyEffect) {
    for (const Ipv4Parts& parts : {Ipv4Parts{0, 1, 2, 3}, Ipv4Parts{}}) {
        FakeSystem sys;
        sys.ui.ip = parts;
        std::size_t mark = 0;
        sys.run({Action::run([&] { mark = sys.trace.entries.size(); }),
                 Action::click(ControlId::ConfirmIp)});
        EXPECT_EQ(sys.trace.lines(mark), Lines{"shutdown"});
        EXPECT_EQ(sys.files.writes, 0);
    }
}

TEST(ConfirmIp, AcceptedAddressSavesOpensAndSendsTheFourStatusMessages) {
    FakeSystem sys;
    sys.ui.ip = {1, 0, 0, std::nullopt};  // a blank part reads 0
    std::size_t mark = 0;
    sys.run({Action::run([&] { mark = sys.trace.entries.size(); }),
             Action::click(ControlId::ConfirmIp)});
    EXPECT_EQ(sys.trace.lines(mark), (Lines{
                                         "pump",
                                         "disable 3",
                                         "disable 44",
                                         "enable 62",
                                         "enable 77",
                                         "enable 99",
                                         "disable 88",
                                         "progress 0",
                                         "pump",
                                         "open 1.0.0.0 10023",
                                         "pump",
                                         "send /-action/initall 00000000",
                                         "pause 300",
                                         "pump",
                                         "send /-stat/selidx 00000000",
                                         "pause 300",
                                         "pump",
                                         "send /-stat/chfaderbank 3C23D70A",
                                         "pause 300",
                                         "pump",
                                         "send /-stat/grpfaderbank 3F19999A",
                                         "pause 300",
                                         "close 100",
                                         "shutdown",
                                     }));
    EXPECT_EQ(sys.files.files["config.cfg"], le64({1, 0, 0, 0}));
    EXPECT_EQ(sys.program.table.buffers_present(), 0);
    EXPECT_EQ(sys.trace.of(Op::Send)[1]->bytes.size(), 24U);
}

TEST(ConfirmIp, ANewConfirmationClosesTheReplacedLinkAtOnce) {
    FakeSystem sys;
    sys.ui.ip = {10, 0, 0, 5};
    sys.run({Action::click(ControlId::ConfirmIp), Action::click(ControlId::ResetAll),
             Action::type_ip({10, 0, 0, 6}), Action::click(ControlId::ConfirmIp)});
    const auto lines = sys.trace.lines();
    const auto second_open = std::find(lines.begin(), lines.end(), "open 10.0.0.6 10023");
    ASSERT_NE(second_open, lines.end());
    EXPECT_EQ(*(second_open - 1), "close 100");
    EXPECT_EQ(sys.files.files["config.cfg"], le64({10, 0, 0, 6}));
    EXPECT_EQ(sys.net.open_sockets, 0);  // the second link was closed at the close request
}

TEST(ConfirmIp, NoLinkIsToldAfterTheSendsWhileTheFileAndControlsGoOn) {
    FakeSystem sys;
    sys.ui.ip = {255, 255, 255, 255};
    sys.run({Action::click(ControlId::ConfirmIp)});
    const auto lines = sys.trace.lines();
    EXPECT_EQ(sys.trace.count(Op::Send), 0U);
    EXPECT_EQ(sys.trace.count(Op::Pause), 4U);
    EXPECT_EQ(lines[lines.size() - 2],
              "box Kestrava V2.3|Can't open a link to the mixer at 255.255.255.255 !");
    EXPECT_EQ(sys.files.files["config.cfg"], le64({255, 255, 255, 255}));
    EXPECT_TRUE(sys.ui.enabled(ControlId::Start));
    EXPECT_FALSE(sys.ui.enabled(ControlId::IpField));
    EXPECT_FALSE(sys.program.current_link.has_value());
}

TEST(ConfirmIp, AFileThatCannotBeWrittenChangesNothingElse) {
    FakeSystem sys;
    sys.files.refuse_write = true;
    sys.files.files["config.cfg"] = le64({192, 168, 1, 10});
    sys.ui.ip = {10, 0, 0, 5};
    sys.run({Action::click(ControlId::ConfirmIp)});
    EXPECT_EQ(sys.files.files["config.cfg"], le64({192, 168, 1, 10}));
    EXPECT_EQ(sys.trace.count(Op::Send), 4U);
    EXPECT_EQ(sys.trace.count(Op::Box), 0U);
}

}  // namespace
}  // namespace kestrava::test
