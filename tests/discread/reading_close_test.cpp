// The reading ahead through the entry points: a caller that stops asking leaves
// it waiting once its ring is full, and closing or aborting ends it at once
// while a read waits at the test gate or on a slow simulated drive. A program
// of its own: the library looks at the gate once per process, so it is set up
// before anything reads.

#include "tests/discread/image_fixture.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace kestrune::test {
namespace {

using namespace std::chrono_literals;

// The gate every direct image read of this program passes: a FIFO this
// program also holds open for writing, so the reads wait for its bytes.
class TestGate {
public:
    TestGate() {
        const auto path = std::filesystem::temp_directory_path() /
                          ("discread-gate-" + std::to_string(::getpid()));
        FPath = path.string();
        ::mkfifo(FPath.c_str(), 0600);
        FHandle = ::open(FPath.c_str(), O_RDWR | O_CLOEXEC);
        ::setenv("DISCREAD_TEST_GATE", FPath.c_str(), 1);
    }
    ~TestGate() {
        ::unlink(FPath.c_str());
        ::close(FHandle);
    }
    TestGate(const TestGate&) = delete;
    TestGate& operator=(const TestGate&) = delete;

    void Grant(int Chunks) const {
        const std::string bytes(static_cast<std::size_t>(Chunks), 'g');
        ASSERT_EQ(::write(FHandle, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Takes back what no reading took.
    void Withdraw() const {
        std::vector<char> bytes(static_cast<std::size_t>(std::max(Unread(), 0)));
        ASSERT_EQ(::read(FHandle, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    int Unread() const {
        int unread = -1;
        return ::ioctl(FHandle, FIONREAD, &unread) == 0 ? unread : -1;
    }
    // Waits until no more than Left grants are unread; false, as a guard
    // against hanging only, when that does not come within a minute.
    bool AwaitUnread(int Left) const {
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (Unread() > Left) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }

private:
    std::string FPath;
    int FHandle = -1;
};

const TestGate& Gate() {
    static const TestGate gate;
    return gate;
}

// Made before main runs, so before any reading looks for the gate.
const TestGate& gateMadeFirst = Gate();

class ReadingClose : public ImageTest {
protected:
    void TearDown() override {
        ::unsetenv("DISCREAD_SIMULATE");
        ImageTest::TearDown();
    }
    // Opens the whole of a 20-second track in chunks of a second.
    void OpenLongTrack() {
        ASSERT_EQ(Load(images.Make("long", {"audio:20:noise=2"})), DR_OK) << LastError();
        std::int32_t chunk = 176400;
        ASSERT_EQ(DR_OpenRipper(&chunk, 0, 20 * 75), DR_OK) << LastError();
    }
    static std::int32_t Take(std::int32_t Abort = 0) {
        std::vector<std::uint8_t> buffer(176400);
        std::int32_t bytes = 0;
        return DR_RipChunk(buffer.data(), &bytes, &Abort);
    }
};

TEST_F(ReadingClose, APausedCallerLeavesTheReadingWaitingOnceTheRingIsFull) {
    // Ten chunks let through and none taken: the reading takes four seconds'
    // worth and waits; each chunk taken lets one more be read; closed, it
    // takes nothing more.
    ASSERT_EQ(gateMadeFirst.Unread(), 0);
    Gate().Grant(10);
    OpenLongTrack();
    ASSERT_TRUE(Gate().AwaitUnread(6));
    ASSERT_EQ(Take(), DR_OK) << LastError();
    ASSERT_TRUE(Gate().AwaitUnread(5));
    EXPECT_EQ(DR_CloseRipper(), DR_OK);
    EXPECT_EQ(Gate().Unread(), 5);
    Gate().Withdraw();
}

TEST_F(ReadingClose, CloseAndAbortEndAReadThatWaitsAtTheGate) {
    // One chunk let through and taken: the reading waits at the gate for the
    // next, and the close (or an abort, or a new reading) must not wait with it.
    for (const char* end : {"close", "abort", "reopen"}) {
        SCOPED_TRACE(end);
        Gate().Grant(1);
        OpenLongTrack();
        ASSERT_EQ(Take(), DR_OK) << LastError();
        ASSERT_EQ(Gate().Unread(), 0);
        if (std::string(end) == "close") {
            EXPECT_EQ(DR_CloseRipper(), DR_OK);
        } else if (std::string(end) == "abort") {
            EXPECT_EQ(Take(1), DR_ERR_ABORTED);
        } else {
            std::int32_t chunk = 176400;
            EXPECT_EQ(DR_OpenRipper(&chunk, 0, 75), DR_OK);
            DR_CloseRipper();
        }
        EXPECT_EQ(Take(), DR_ERR_NOT_OPEN);
        DR_DeInit();
    }
}

TEST_F(ReadingClose, CloseAndAbortEndAReadThatASlowDriveHoldsBack) {
    // A thousandth of real time: a chunk of a second would take a thousand
    // seconds; the close, the abort and the library's end cut the wait short.
    ::setenv("DISCREAD_SIMULATE", "speed=0.001", 1);
    for (const char* end : {"close", "abort", "deinit"}) {
        SCOPED_TRACE(end);
        OpenLongTrack();
        if (std::string(end) == "close") {
            EXPECT_EQ(DR_CloseRipper(), DR_OK);
        } else if (std::string(end) == "abort") {
            EXPECT_EQ(Take(1), DR_ERR_ABORTED);
        }
        DR_DeInit();
    }
}

} // namespace
} // namespace kestrune::test
