#pragma once
// Reads an HTTP/1.x reply as its bytes arrive: the status line, the framing
// headers (Content-Length, Transfer-Encoding) and the body, plain or
// chunked. Replies come from the network, so every line, length and chunk
// size is checked; what is not understood ends the reply as an error rather
// than as a short body.
#include <cstddef>
#include <cstdint>
#include <string>

namespace Kivo {

class HTTPReplyParser {
public:
    enum class State {
        More,     // needs more bytes
        Done,     // the body is complete
        NotFound, // status 404
        Error     // another status than 200, or a reply that breaks the rules
    };

    // Largest body kept, and longest line (status, header or chunk size).
    static constexpr int kMaxContent = 16 << 20;
    static constexpr size_t kMaxLine = 8192;

    // Appends the bytes and parses as far as they go; once the state is not
    // More, further bytes are ignored.
    State Feed(const char* data, size_t size);
    // The connection closed: a reply whose headers never ended is an error;
    // a body cut short counts as received.
    State Close();

    State state = State::More;
    int status = 0;
    int contentLength = 0; // 0 when there is none
    bool chunked = false;
    std::string content;

private:
    // One step on the buffered bytes; false when it needs more of them.
    bool Step();
    bool HeaderLine(const std::string& line);
    bool TakeLine(std::string& line);
    State Fail(State s);

    std::string buffer;
    size_t cursor = 0;
    bool statusSeen = false;
    bool headersDone = false;
    bool lengthGiven = false;
    int bodyLeft = 0;
    int chunkLeft = 0;
    int lineEndLeft = 0; // bytes of the line end after a chunk still to skip
};

} // namespace Kivo
