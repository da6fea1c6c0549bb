#pragma once
// A one-connection TCP server on 127.0.0.1 for tests, on a thread of its
// own: it accepts one client, reads its request up to the blank line after
// the headers (and the body its Content-Length announces), sends the reply
// and closes, or with keepOpen stays connected until it is destroyed. Every
// wait is bounded, so a test that goes wrong ends by itself.
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace test {

class LoopbackServer {
public:
    explicit LoopbackServer(std::string reply, bool keepOpen = false);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    uint16_t Port() const { return port_; }
    std::string Url(const std::string& path = "/") const;
    // The request as received; complete once the server thread has ended
    // or the reply has gone.
    std::string Request();
    bool Accepted() const { return accepted_; }

private:
    void Serve();

    std::string reply_;
    bool keepOpen_;
    int listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stop_ { false };
    std::atomic<bool> accepted_ { false };
    std::atomic<bool> replied_ { false };
    std::string request_;
    std::thread thread_;
};

} // namespace test
