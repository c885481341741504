#pragma once

#include "platform/file_descriptor.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>

namespace kestrune::test {

// answer_server.py on a port of its own, answering from the files of Folder.
class AnswerServer {
public:
    explicit AnswerServer(const std::string& Folder);
    ~AnswerServer();
    AnswerServer(const AnswerServer&) = delete;
    AnswerServer& operator=(const AnswerServer&) = delete;
    AnswerServer(AnswerServer&&) = delete;
    AnswerServer& operator=(AnswerServer&&) = delete;

    // "http://127.0.0.1:PORT" + Path.
    std::string Url(const std::string& Path) const;
    // The next line the server logged: a request as it arrived, or the end of
    // a streamed answer. Raises std::runtime_error when none comes in time.
    nlohmann::json NextRecord(std::chrono::milliseconds Timeout = std::chrono::seconds(20));
    // Skips records up to the request for Path and returns that one.
    nlohmann::json RecordOf(const std::string& Path);

private:
    std::string NextLine(std::chrono::milliseconds Timeout);
    void Stop();

    // The server's standard input: it ends when this closes, also when the test dies.
    std::optional<platform::FileDescriptor> FInput;
    std::optional<platform::FileDescriptor> FOutput; // its log
    pid_t FPid = -1;
    std::string FPending;
    int FPort = 0;
};

} // namespace kestrune::test
