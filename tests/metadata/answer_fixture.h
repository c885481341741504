#pragma once

#include "metadata/http_client.h"

#include "answer_server.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace kestrune::test {

// A server of crafted answers and a client that asks it as fast as it
// answers: the pacing has tests of its own.
class AnswerFixture : public ::testing::Test {
public:
    static constexpr const char* Agent = "kestrune/9.8.7 ( https://kestrune.example/contact )";

    static metadata::HttpOptions Unpaced() {
        metadata::HttpOptions options;
        options.MinimumInterval = std::chrono::milliseconds(0);
        return options;
    }
    // A file of tests/metadata/answers, Path from there ("/images/x.png").
    static std::string AnswerFile(const std::string& Path) {
        std::ifstream file(std::string(ANSWERS_FOLDER) + Path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }

protected:
    AnswerServer Server{ANSWERS_FOLDER};
    metadata::HttpClient Client{Agent, Unpaced()};
};

} // namespace kestrune::test
