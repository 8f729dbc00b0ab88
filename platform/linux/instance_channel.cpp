#include "platform/linux/instance_channel.h"

#include <errno.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace velk::linux {

namespace {

constexpr int kRequestWaitMs = 500;
constexpr int kAnswerWaitMs = 5000;
constexpr std::size_t kLongestLine = 64;

bool Address(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool SameUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
}

// One line from fd within the time; without its line end. nullopt when none came.
std::optional<std::string> ReadLine(int fd, int timeoutMs) {
    std::string line;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            return std::nullopt;
        char c;
        const ssize_t n = ::recv(fd, &c, 1, MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n <= 0)
            return std::nullopt;
        if (c == '\n')
            return line;
        if (line.size() >= kLongestLine)
            return std::nullopt;
        line += c;
    }
}

void WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

ChannelServer::~ChannelServer() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    ::unlink(path_.c_str());
}

bool ChannelServer::Listen(const std::string& path, std::string& error) {
    sockaddr_un address;
    if (!Address(path, address)) {
        error = path + ": the path is too long for a socket";
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    ::unlink(path.c_str());
    // Only the user may connect, whatever the folder allows.
    const mode_t old = ::umask(0077);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::umask(old);
    if (!bound || ::listen(fd, 8) != 0) {
        error = path + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    return true;
}

std::optional<ChannelServer::Request> ChannelServer::Take() {
    const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<std::string> line;
    if (SameUser(fd))
        line = ReadLine(fd, kRequestWaitMs);
    if (!line) {
        ::close(fd);
        return std::nullopt;
    }
    return Request{fd, *line};
}

void ChannelServer::Answer(Request& request, const std::string& reply) {
    if (request.fd < 0)
        return;
    WriteAll(request.fd, reply + "\n");
    ::close(request.fd);
    request.fd = -1;
}

ChannelResult AskRunningCopy(const std::string& path, const std::string& command,
                             std::string& answer) {
    sockaddr_un address;
    if (!Address(path, address))
        return ChannelResult::NoCopy;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return ChannelResult::NoCopy;
    ChannelResult result = ChannelResult::NoCopy;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        if (!SameUser(fd)) {
            result = ChannelResult::OtherUser;
        } else {
            WriteAll(fd, command + "\n");
            if (auto line = ReadLine(fd, kAnswerWaitMs)) {
                answer = *line;
                result = ChannelResult::Answered;
            }
        }
    }
    ::close(fd);
    return result;
}

}  // namespace velk::linux
