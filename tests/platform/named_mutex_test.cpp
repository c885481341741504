#include "platform/named_mutex.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrune::platform {
namespace {

namespace fs = std::filesystem;

// Sets or unsets one environment variable for a test.
class Environment {
public:
    Environment(const char* Name, std::optional<std::string> Value) : FName(Name) {
        if (const char* old = std::getenv(Name)) {
            FOld = old;
        }
        Set(Value);
    }
    ~Environment() { Set(FOld); }
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

private:
    void Set(const std::optional<std::string>& Value) {
        if (Value) {
            ::setenv(FName, Value->c_str(), 1);
        } else {
            ::unsetenv(FName);
        }
    }
    const char* FName;
    std::optional<std::string> FOld;
};

class NamedMutexTest : public ::testing::Test {
protected:
    NamedMutexTest() { fs::create_directories(folder); }
    ~NamedMutexTest() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    const fs::path folder =
        fs::temp_directory_path() / ("kestrune-mutex-test-" + std::to_string(::getpid()));
    Environment noRuntime{"XDG_RUNTIME_DIR", std::nullopt};
    Environment temp{"TMPDIR", folder.string()};
};

mode_t ModeOf(const fs::path& Path) {
    struct stat info {};
    EXPECT_EQ(::lstat(Path.c_str(), &info), 0) << Path;
    return info.st_mode & 07777;
}

TEST_F(NamedMutexTest, WithoutARuntimeDirectoryTheLockLivesInAPrivateOneOfTheUsersOwn) {
    const NamedMutex first("Kesta");
    ASSERT_EQ(first.Status(), NamedMutexStatus::Acquired) << first.Reason();
    const fs::path lock = NamedMutex::LockPath("Kesta");
    EXPECT_EQ(lock.filename(), "Kesta.lock");
    EXPECT_EQ(lock.parent_path().parent_path(), folder) << lock;
    EXPECT_EQ(ModeOf(lock.parent_path()), 0700u);

    // Another holder: the second copy is told so, and that is not a failure.
    const NamedMutex second("Kesta");
    EXPECT_EQ(second.Status(), NamedMutexStatus::HeldElsewhere);
    EXPECT_FALSE(second.Acquired());
}

TEST_F(NamedMutexTest, AnOpenDirectoryOfTheUsersOwnIsClosedBeforeUse) {
    const fs::path runtime = fs::path(NamedMutex::LockPath("Kesta")).parent_path();
    fs::create_directories(runtime);
    ::chmod(runtime.c_str(), 0777);
    const NamedMutex mutex("Kesta");
    EXPECT_EQ(mutex.Status(), NamedMutexStatus::Acquired) << mutex.Reason();
    EXPECT_EQ(ModeOf(runtime), 0700u);
}

TEST_F(NamedMutexTest, ALockThatCannotBeMadeIsToldApartFromOneHeldElsewhere) {
    // The place for the private directory is taken by a plain file.
    const fs::path runtime = fs::path(NamedMutex::LockPath("Kesta")).parent_path();
    {
        std::FILE* f = std::fopen(runtime.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    const NamedMutex blocked("Kesta");
    EXPECT_EQ(blocked.Status(), NamedMutexStatus::Unavailable);
    EXPECT_FALSE(blocked.Acquired());
    EXPECT_NE(blocked.Reason().find(runtime.string()), std::string::npos) << blocked.Reason();
    fs::remove(runtime);

    if (::getuid() == 0) {
        // A directory planted by someone else is never used, whatever its mode.
        fs::create_directories(runtime);
        ASSERT_EQ(::chown(runtime.c_str(), 65534, 65534), 0);
        ::chmod(runtime.c_str(), 0700);
        const NamedMutex planted("Kesta");
        EXPECT_EQ(planted.Status(), NamedMutexStatus::Unavailable);
        EXPECT_NE(planted.Reason().find("not owned by"), std::string::npos) << planted.Reason();
    }
}

} // namespace
} // namespace kestrune::platform
