// Faults injected through the seams: the network, the settings file and memory.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#if !defined(_WIN32)
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include "net/posix/posix_net.h"
#endif

#include "settings/settings.h"
#include "support/fakes.h"
#include "support/run_summary.h"

namespace kestrava::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

TEST(Faults, AllocationsThatFailEncodeNothingSweepsStillSendAndRampsSkip) {
    FakeSystem sys;
    sys.program.table.refuse_allocation = [](std::size_t) { return true; };
    sys.ui.ip = {10, 0, 0, 5};
    std::size_t mark = 0;
    sys.run({Action::click(ControlId::ConfirmIp),
             Action::run([&] { mark = sys.trace.entries.size(); }),
             Action::click(ControlId::Start)});
    const RunSummary run = summarize_run(sys.trace, mark);
    for (int p = 0; p < 3; ++p) {
        const PassSummary& pass = run.passes[static_cast<std::size_t>(p)];
        EXPECT_EQ(pass.top_sends + pass.bottom_sends, 34);
        EXPECT_EQ(pass.up.sends + pass.down.sends, 0);
    }
    EXPECT_EQ(run.passes[0].up.iterations, 1001);  // the ramps still pace themselves
    EXPECT_EQ(run.reset_sends, 21);
    for (const auto* send : sys.trace.of(Op::Send)) {
        EXPECT_TRUE(send->bytes.empty());  // empty datagrams: nothing was encoded
    }
    EXPECT_EQ(sys.trace.of(Op::Box).back()->text, "Kestrava V2.3|Finished.");
    EXPECT_EQ(sys.program.table.buffers_present(), 0);
}

#if !defined(_WIN32)

int open_files() {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        ++n;
    }
    return n;
}

// Socket calls that refuse one step and count what was opened and closed.
struct CountingCalls {
    static inline int opened = 0;
    static inline int closed = 0;
    static inline bool refuse_socket = false;
    static inline bool refuse_nonblocking = false;

    static PosixSocketCalls make() {
        opened = closed = 0;
        PosixSocketCalls calls;
        calls.open_socket = [] {
            if (refuse_socket) {
                return -1;
            }
            ++opened;
            return system_socket_calls().open_socket();
        };
        calls.set_nonblocking = [](int fd) {
            return refuse_nonblocking ? -1 : system_socket_calls().set_nonblocking(fd);
        };
        calls.close_socket = [](int fd) {
            ++closed;
            return system_socket_calls().close_socket(fd);
        };
        return calls;
    }
};

TEST(Faults, OpenLinkFailingAtAnyStepLeavesNoSocketOpen) {
    const struct {
        const char* step;
        const char* host;
        bool refuse_socket;
        bool refuse_nonblocking;
    } cases[] = {
        {"socket refused", "127.45.0.1", true, false},
        {"no such name", "no-such-host.invalid", false, false},
        {"broadcast address", "255.255.255.255", false, false},
        {"non-blocking mode refused", "127.45.0.1", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        CountingCalls::refuse_socket = c.refuse_socket;
        CountingCalls::refuse_nonblocking = c.refuse_nonblocking;
        auto net = make_posix_net(CountingCalls::make());
        const int files_before = open_files();
        EXPECT_FALSE(net->open_link(c.host, kMixerPort).has_value());
        EXPECT_EQ(CountingCalls::opened, CountingCalls::closed);
        EXPECT_EQ(open_files(), files_before);
    }
    CountingCalls::refuse_socket = CountingCalls::refuse_nonblocking = false;
}

TEST(Faults, ASocketLayerThatCannotStartMeansTheNetworkErrorAndExitCodeZero) {
    CountingCalls::refuse_socket = true;
    auto net = make_posix_net(CountingCalls::make());
    Trace trace;
    FakeToolkit ui(trace);
    FakeFiles files;
    Program program(ui, *net, files);
    const int code = run_program(program);
    CountingCalls::refuse_socket = false;
    EXPECT_EQ(code, 0);
    ASSERT_EQ(trace.count(Op::Box), 1U);
    EXPECT_EQ(trace.of(Op::Box)[0]->text, "NETWORK ERROR|Can't initialize the network !");
    EXPECT_EQ(trace.count(Op::Enable), 0U);  // the start-up control state never came
}

class SettingsFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("kestrava-faults-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::permissions(dir_, fs::perms::all);
        files_ = make_system_files();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(dir_, fs::perms::all, ignored);
        fs::remove_all(dir_, ignored);
    }
    fs::path path() const { return dir_ / "config.cfg"; }
    Bytes read() const {
        std::ifstream in(path(), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    void write(const Bytes& bytes) const {
        std::ofstream(path(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    bool leftovers() const {
        for (const auto& entry : fs::directory_iterator(dir_)) {
            if (entry.path().filename() != "config.cfg") {
                return true;
            }
        }
        return false;
    }

    fs::path dir_;
    std::unique_ptr<SettingsFiles> files_;
};

const Bytes kOld = [] {
    const auto b = settings_bytes({"192", "168", "1", "10"});
    return Bytes(b.begin(), b.end());
}();
const Bytes kNew = [] {
    const auto b = settings_bytes({"10", "0", "0", "5"});
    return Bytes(b.begin(), b.end());
}();

TEST_F(SettingsFaults, ADiskThatFillsUpMidWriteKeepsTheOldFile) {
    write(kOld);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 20;  // a write past 20 bytes fails as on a full disk
    const auto old_handler = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool replaced = files_->replace(path(), kNew);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
    ::signal(SIGXFSZ, old_handler);
    EXPECT_FALSE(replaced);
    EXPECT_EQ(read(), kOld);
    EXPECT_FALSE(leftovers());
}

TEST_F(SettingsFaults, ADirectoryWithoutWriteAccessKeepsWhatItHas) {
    if (::geteuid() != 0 && ::access(dir_.c_str(), W_OK) != 0) {
        GTEST_SKIP();
    }
    for (const bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "existing file" : "no file yet");
        fs::remove(path());
        if (existing) {
            write(kOld);
            fs::permissions(path(), fs::perms::all);
        }
        fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
        const uid_t saved = ::geteuid();
        if (saved == 0) {
            ASSERT_EQ(::seteuid(65534), 0);  // permissions do not bind root
        }
        const bool replaced = files_->replace(path(), kNew);
        if (saved == 0) {
            ASSERT_EQ(::seteuid(0), 0);
        }
        fs::permissions(dir_, fs::perms::all);
        EXPECT_FALSE(replaced);
        EXPECT_EQ(fs::exists(path()), existing);
        if (existing) {
            EXPECT_EQ(read(), kOld);
        }
        EXPECT_FALSE(leftovers());
    }
}

TEST_F(SettingsFaults, ANewFileAndAReplacedFileHoldExactlyTheThirtyTwoBytes) {
    EXPECT_TRUE(files_->replace(path(), kOld));
    EXPECT_EQ(read(), kOld);
    EXPECT_TRUE(files_->replace(path(), kNew));
    EXPECT_EQ(read(), kNew);
    EXPECT_FALSE(leftovers());
}

#endif

}  // namespace
}  // namespace kestrava::test
