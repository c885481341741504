#include "metadata/http_client.h"

#include "answer_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>

namespace kestrune::metadata {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

using test::AnswerFixture;
const std::string AnswerPath = "/ws/2/discid/fchRwSrO7XuQd6oRGPnwSH5eOn8-";

// Runs Request and returns the HttpError it raised; fails the test when it raised none.
template <class Request> HttpError FailureOf(Request&& TheRequest) {
    try {
        TheRequest();
    } catch (const HttpError& error) {
        return error;
    }
    ADD_FAILURE() << "The request did not fail.";
    return {HttpFailure::Transfer, ""};
}

using HttpClientTest = AnswerFixture;

// MusicBrainz blocks clients that do not name themselves; the caller's
// headers (Accept) must arrive too, and the body come back byte for byte.
TEST_F(HttpClientTest, SendsItsNameAndGetsTheAnswerWhole) {
    const HttpResponse answer = Client.Get(Server.Url(AnswerPath), {"Accept: application/json"});
    const nlohmann::json request = Server.RecordOf(AnswerPath);
    EXPECT_EQ(request["agent"], AnswerFixture::Agent);
    EXPECT_EQ(request["accept"], "application/json");

    EXPECT_EQ(answer.Status, 200);
    EXPECT_EQ(answer.ContentType, "application/json");
    EXPECT_EQ(answer.Body, AnswerFile(AnswerPath + ".json"));
}

// A server that never answers must not hang the rip: the call gives up and
// says where and why.
TEST_F(HttpClientTest, GivesUpOnAServerThatDoesNotAnswer) {
    HttpOptions options = Unpaced();
    options.Timeout = 1s;
    HttpClient impatient(AnswerFixture::Agent, options);
    const std::string url = Server.Url("/slow?seconds=60");
    const auto start = std::chrono::steady_clock::now();
    const HttpError error = FailureOf([&] { return impatient.Get(url); });
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
    EXPECT_EQ(error.Reason(), HttpFailure::TimedOut);
    EXPECT_THAT(error.what(), HasSubstr(url));
}

// A request on a thread of its own ends soon after its owner is done with
// it, long before its timeout, while a server keeps it waiting.
TEST_F(HttpClientTest, AStopEndsARequestUnderWay) {
    std::stop_source stop;
    std::jthread stopper([&] {
        (void)Server.RecordOf("/slow");
        stop.request_stop();
    });
    const auto start = std::chrono::steady_clock::now();
    const HttpError error =
        FailureOf([&] { return Client.Get(Server.Url("/slow?seconds=60"), {}, stop.get_token()); });
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << "the default timeout is 10 s";
    EXPECT_EQ(error.Reason(), HttpFailure::Transfer);
}

// A huge answer is refused whether or not it declares its length, and the
// client stops taking it soon after the limit instead of holding all 50 MB:
// the server counts what it could send before the client went.
TEST_F(HttpClientTest, RefusesAnAnswerOverTheLimitEarly) {
    for (const std::string path : {"/huge", "/huge-declared"}) {
        SCOPED_TRACE(path);
        const HttpError error = FailureOf([&] { return Client.Get(Server.Url(path)); });
        EXPECT_EQ(error.Reason(), HttpFailure::TooLarge);
        EXPECT_THAT(error.what(), HasSubstr(Server.Url(path)));
        EXPECT_THAT(error.what(), HasSubstr("8 MB"));
        nlohmann::json record = Server.NextRecord();
        while (!record.contains("sent")) {
            record = Server.NextRecord();
        }
        EXPECT_EQ(record["path"], path);
        EXPECT_LT(record["sent"].get<std::int64_t>(), 30 * 1024 * 1024);
    }
}

// MusicBrainz allows one request a second and answers 503 to more: two
// requests to one host, even from two threads at once, start a second apart.
TEST_F(HttpClientTest, WaitsASecondBetweenRequestsToOneHost) {
    HttpClient paced(AnswerFixture::Agent);
    int firstStatus = 0;
    std::thread other([&] { firstStatus = paced.Get(Server.Url("/status/200")).Status; });
    const int secondStatus = paced.Get(Server.Url("/status/204")).Status;
    other.join();
    EXPECT_EQ(firstStatus, 200);
    EXPECT_EQ(secondStatus, 204);
    const double first = Server.NextRecord()["time"].get<double>();
    const double second = Server.NextRecord()["time"].get<double>();
    EXPECT_GE(second - first, 0.95);
}

// The rip goes on without names when the machine is offline: the caller
// must be able to tell that case, and the user to read where it failed.
TEST(HttpClientFailureTest, NamesTheAddressNobodyListensOn) {
    // A socket that is bound but not listening refuses connections, and
    // holding it keeps the port from anyone else.
    const platform::FileDescriptor holder(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(holder.Get(), reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::getsockname(holder.Get(), reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/x";

    HttpClient client(AnswerFixture::Agent, AnswerFixture::Unpaced());
    const HttpError error = FailureOf([&] { return client.Get(url); });
    EXPECT_EQ(error.Reason(), HttpFailure::CouldNotConnect);
    EXPECT_THAT(error.what(), HasSubstr(url));
}

// Only web addresses are asked, also where a redirect leads: an answer must
// not make the client read a local file, nor send it round in circles.
TEST_F(HttpClientTest, AsksOnlyTheWebAndOnlySoFar) {
    EXPECT_EQ(FailureOf([&] { return Client.Get("file:///etc/hostname"); }).Reason(),
              HttpFailure::BadAddress);
    EXPECT_EQ(FailureOf([&] { return Client.Get("no address at all"); }).Reason(),
              HttpFailure::BadAddress);
    FailureOf([&] { return Client.Get(Server.Url("/redirect?to=file:///etc/hostname")); });

    FailureOf([&] { return Client.Get(Server.Url("/loop/0")); });
    // Requests the loop made before the client stopped: the first and five redirects.
    EXPECT_EQ(Client.Get(Server.Url("/status/200")).Status, 200);
    int loops = 0;
    for (nlohmann::json record = Server.NextRecord(); record["path"] != "/status/200";
         record = Server.NextRecord()) {
        loops += record["path"].get<std::string>().starts_with("/loop/") ? 1 : 0;
    }
    EXPECT_EQ(loops, 6);
}

} // namespace
} // namespace kestrune::metadata
