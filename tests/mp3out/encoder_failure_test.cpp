// The MP3 sink over a stand-in encoder that fails where a test asks: every
// encoder failure ends the run through the exception path and leaves no file.

#include "mp3out/lame_binding.h"
#include "mp3out/mp3_out.h"
#include "pipeline/audio_exception.h"
#include "platform/dynamic_library.h"
#include "tests/support/disc_images.h"
#include "tests/support/event_log.h"
#include "tests/support/library_file_name.h"
#include "tests/support/pump.h"
#include "tests/support/test_source.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace kestrune::test {
namespace {

// The stand-in encoder for the sinks made while it lives, and its controls.
class FakeEncoder {
public:
    explicit FakeEncoder(const std::string& Path)
        : FControls(std::make_unique<platform::DynamicLibrary>(Path)),
          FName(Path, "libmp3lame.so.0") {}
    FakeEncoder(const FakeEncoder&) = delete;
    FakeEncoder& operator=(const FakeEncoder&) = delete;

    void FailAt(const char* Step) const {
        reinterpret_cast<void (*)(const char*)>(FControls->Symbol("FakeEncoderFailAt"))(Step);
    }
    std::string Log() const {
        return reinterpret_cast<const char* (*)()>(FControls->Symbol("FakeEncoderLog"))();
    }
    int Misaligned() const {
        return reinterpret_cast<int (*)()>(FControls->Symbol("FakeEncoderMisaligned"))();
    }

private:
    std::unique_ptr<platform::DynamicLibrary> FControls;
    LibraryFileName<&SetEncoderLibraryFileName> FName;
};

class EncoderFailure : public ::testing::TestWithParam<std::pair<const char*, const char*>> {
protected:
    EncoderFailure() {
        events.Attach(*sink);
        sink->SetFileName(Output());
    }

    std::string Output() const { return (images.Folder() / "out.mp3").string(); }

    void Run() {
        sink->SetInput(source.get());
        sink->Start();
        ASSERT_TRUE(PumpUntil([&] { return events.Done() > 0 || !events.Errors().empty(); }));
        ASSERT_TRUE(PumpUntil([&] { return !sink->Busy(); }));
    }

    FakeEncoder encoder{FAKE_ENCODER};
    DiscImages images;
    EventLog events;
    ComponentPtr<TTestSource> source = MakeComponent<TTestSource>(8 * 16384);
    ComponentPtr<TMP3Out> sink = MakeComponent<TMP3Out>();
};

TEST_P(EncoderFailure, EndsTheRunThroughTheExceptionPathWithNoFileLeft) {
    const auto [step, message] = GetParam();
    encoder.FailAt(step);
    Run();
    EXPECT_EQ(events.Errors(), std::vector<std::string>{message});
    EXPECT_EQ(events.Done(), 0);
    EXPECT_FALSE(std::filesystem::exists(Output()));
    EXPECT_FALSE(source->Busy());
    EXPECT_GE(source->Closes, source->Opens);
    EXPECT_EQ(sink->Status(), TOutputStatus::osIdle);
    // Whatever was started was also released.
    const std::string log = encoder.Log();
    EXPECT_EQ(log.find("lame_init\n") != std::string::npos && step != std::string("lame_init"),
              log.find("lame_close\n") != std::string::npos)
        << log;
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, EncoderFailure,
    ::testing::Values(std::pair{"lame_init", "The MP3 encoder could not be started."},
                      std::pair{"lame_init_params",
                                "The MP3 encoder does not accept these settings (error -1)."},
                      std::pair{"encode", "The MP3 encoder failed (error -1)."},
                      std::pair{"flush", "The MP3 encoder failed to finish the file (error -1)."}),
    [](const auto& Info) { return std::string(Info.param.first); });

class FakeEncoderRun : public EncoderFailure {};

TEST_F(FakeEncoderRun, HandsTheEncoderAlignedSamplesAndTheSevenTagTextsInOrder) {
    encoder.FailAt("");
    sink->SetId3TagTitle("Title");
    sink->SetId3TagArtist("Artist");
    sink->SetId3TagAlbum("");
    sink->SetId3TagYear("1999");
    sink->SetId3TagTrack("7");
    sink->SetId3TagComment("Comment");
    sink->SetId3TagGenre("12");
    Run();
    ASSERT_EQ(events.Done(), 1);
    EXPECT_EQ(encoder.Misaligned(), 0) << "PCM handed over at an address not aligned for short";
    const std::string log = encoder.Log();
    const auto tags = log.find("id3tag_init");
    ASSERT_NE(tags, std::string::npos) << log;
    EXPECT_EQ(log.substr(tags), "id3tag_init\ntitle Title\nartist Artist\nalbum \nyear 1999\n"
                                "track 7\ncomment Comment\ngenre 12\nlame_encode_flush\n"
                                "lame_close\n");
}

TEST(FakeEncoderBinding, ALibraryLackingOneCalledEntryPointDoesNotLoad) {
    const FakeEncoder withoutFlush(FAKE_ENCODER_WITHOUT_FLUSH);
    try {
        MakeComponent<TMP3Out>();
        ADD_FAILURE() << "the sink was made over a library without lame_encode_flush";
    } catch (const EAudioException& e) {
        EXPECT_STREQ(e.what(), "lame_enc.dll library could not be loaded.");
    }
    EXPECT_EQ(EncoderLibraryUsers(), 0);
    EXPECT_FALSE(EncoderLibraryLoaded());
}

} // namespace
} // namespace kestrune::test
