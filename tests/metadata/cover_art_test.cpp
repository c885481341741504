#include "metadata/cover_art.h"

#include "answer_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kestrune::metadata {
namespace {

using ::testing::HasSubstr;

// What the crafted archive holds: a PNG behind a redirect, a JPEG served as
// plain bytes, an error page served as a JPEG, and nothing.
const std::string RedirectedPng = "8d9ed67d-fa9b-4ee7-8ce9-655229cbd207";
const std::string UnlabelledJpeg = "6158e00c-406c-4c42-abc0-0189cd28781f";
const std::string ErrorPage = "4e67046b-6220-4f3b-9345-325b90e264bb";
const std::string NoCover = "0b423057-0f22-422f-a443-73f25dc9c87c";

using CoverArtTest = test::AnswerFixture;

// The archive answers with a redirect to the image's host; the picture
// found there is what comes back, byte for byte.
TEST_F(CoverArtTest, FollowsTheArchiveToThePicture) {
    const std::optional<CoverImage> cover = FetchFrontCover(Client, Server.Url(""), RedirectedPng);
    ASSERT_TRUE(cover);
    EXPECT_EQ(cover->MimeType, "image/png");
    EXPECT_EQ(cover->Data, AnswerFile("/images/" + RedirectedPng + ".png"));
    Server.RecordOf("/release/" + RedirectedPng + "/front");
    Server.RecordOf("/images/" + RedirectedPng + ".png");
}

// The type a tag gives its picture comes from the picture, not from a server
// that calls it application/octet-stream, or an error page image/jpeg.
TEST_F(CoverArtTest, TellsThePictureByItsBytes) {
    const std::optional<CoverImage> jpeg = FetchFrontCover(Client, Server.Url("/"), UnlabelledJpeg);
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpeg->MimeType, "image/jpeg");
    EXPECT_EQ(jpeg->Data, AnswerFile("/release/" + UnlabelledJpeg + "/front.bin"));

    try {
        static_cast<void>(FetchFrontCover(Client, Server.Url(""), ErrorPage));
        ADD_FAILURE() << "The error page was taken for a picture.";
    } catch (const std::runtime_error& error) {
        EXPECT_THAT(error.what(), HasSubstr(ErrorPage));
        EXPECT_THAT(error.what(), HasSubstr("not a JPEG or PNG picture"));
    }
}

// Most releases have no cover: that is no error, and a base address with a
// final slash asks the same path.
TEST_F(CoverArtTest, NoCoverIsNoError) {
    EXPECT_FALSE(FetchFrontCover(Client, Server.Url("/"), NoCover));
    EXPECT_EQ(Server.NextRecord()["path"], "/release/" + NoCover + "/front");
}

// A release id goes into the path as it is: only a real id is asked for.
TEST_F(CoverArtTest, RefusesWhatIsNoReleaseId) {
    EXPECT_THROW(static_cast<void>(FetchFrontCover(Client, Server.Url(""), "../../status/200")),
                 std::invalid_argument);
}

} // namespace
} // namespace kestrune::metadata
