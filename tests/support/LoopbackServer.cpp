#include "tests/support/LoopbackServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace test {
namespace {

// Longest any single wait of the server may last.
constexpr int kLimitMs = 5000;

bool WaitReadable(int fd, int ms)
{
    pollfd p { fd, POLLIN, 0 };
    return ::poll(&p, 1, ms) > 0;
}

} // namespace

LoopbackServer::LoopbackServer(std::string reply, bool keepOpen)
    : reply_(std::move(reply))
    , keepOpen_(keepOpen)
{
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at {};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    at.sin_port = 0;
    socklen_t size = sizeof at;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0
        || ::listen(listener_, 1) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&at), &size) != 0)
        return;
    port_ = ntohs(at.sin_port);
    thread_ = std::thread(&LoopbackServer::Serve, this);
}

LoopbackServer::~LoopbackServer()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (listener_ >= 0)
        ::close(listener_);
}

std::string LoopbackServer::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string LoopbackServer::Request()
{
    for (int i = 0; i < kLimitMs / 10 && !replied_ && thread_.joinable(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return request_;
}

void LoopbackServer::Serve()
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLimitMs);
    auto left = [&] {
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        return ms > 0 && !stop_ ? int(std::min<long long>(ms, 50)) : 0;
    };
    int client = -1;
    while (client < 0 && left() > 0)
        if (WaitReadable(listener_, left()))
            client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0)
        return;
    accepted_ = true;
    // The request: headers, then as many body bytes as announced.
    std::string got;
    size_t need = std::string::npos;
    while (left() > 0 && got.size() < need) {
        if (!WaitReadable(client, left()))
            continue;
        char data[4096];
        ssize_t n = ::recv(client, data, sizeof data, 0);
        if (n <= 0)
            break;
        got.append(data, size_t(n));
        const size_t end = got.find("\r\n\r\n");
        if (need == std::string::npos && end != std::string::npos) {
            size_t length = 0;
            const size_t at = got.find("Content-Length: ");
            if (at != std::string::npos && at < end)
                length = std::stoul(got.substr(at + 16));
            need = end + 4 + length;
        }
    }
    request_ = got;
    if (!reply_.empty())
        ::send(client, reply_.data(), reply_.size(), MSG_NOSIGNAL);
    replied_ = true;
    while (keepOpen_ && left() > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(left()));
    ::close(client);
}

} // namespace test
