// How later starts reach the running copy: a stream socket of the user's session
// (session_paths.h), one short request a connection ("front", "settings", "capture",
// "pid") and one line of answer. The running copy listens while it holds the
// single-instance lock; both ends check that the other runs as the same user
// (SO_PEERCRED), so another user's start reaches nothing.
#pragma once

#include <optional>
#include <string>

namespace velk::linux {

class ChannelServer {
  public:
    struct Request {
        int fd = -1;  // the connection, for Answer
        std::string command;
    };

    ChannelServer() = default;
    ~ChannelServer();
    ChannelServer(const ChannelServer&) = delete;
    ChannelServer& operator=(const ChannelServer&) = delete;

    // Listens on path, replacing what a copy that ended left there (the caller holds the
    // lock, so no copy listens there any more). False with the reason in error.
    bool Listen(const std::string& path, std::string& error);
    // Readable when a start is waiting.
    int Fd() const { return fd_; }
    // The next waiting request of the same user; nullopt when none is (or it came from
    // someone else, or said nothing in time). Answer it before asking for the next.
    std::optional<Request> Take();
    static void Answer(Request& request, const std::string& reply);

  private:
    int fd_ = -1;
    std::string path_;
};

enum class ChannelResult { Answered, NoCopy, OtherUser };

// Sends one request to the copy listening on path and reads its answer.
ChannelResult AskRunningCopy(const std::string& path, const std::string& command,
                             std::string& answer);

}  // namespace velk::linux
