#include "framework/app/HTTPReplyParser.h"

#include "framework/core/Strings.h"

namespace Kivo {
namespace {

bool StartsWith(const std::string& s, const char* prefix)
{
    return s.rfind(prefix, 0) == 0;
}

// Plain decimal digits within the content limit, else -1.
int ParseLength(const std::string& text)
{
    if (text.empty() || text.size() > 9)
        return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value <= HTTPReplyParser::kMaxContent ? value : -1;
}

} // namespace

HTTPReplyParser::State HTTPReplyParser::Fail(State s)
{
    state = s;
    return s;
}

HTTPReplyParser::State HTTPReplyParser::Feed(const char* data, size_t size)
{
    if (state != State::More)
        return state;
    buffer.append(data, size);
    while (state == State::More && Step()) {
    }
    // Drop what has been read so the buffer holds at most one partial line.
    if (cursor > 0) {
        buffer.erase(0, cursor);
        cursor = 0;
    }
    if (state == State::More && buffer.size() > kMaxLine && (!headersDone || (chunked && chunkLeft == 0)))
        return Fail(State::Error);
    return state;
}

HTTPReplyParser::State HTTPReplyParser::Close()
{
    if (state == State::More)
        state = headersDone ? State::Done : State::Error;
    return state;
}

bool HTTPReplyParser::TakeLine(std::string& line)
{
    const size_t end = buffer.find("\r\n", cursor);
    if (end == std::string::npos)
        return false;
    line.assign(buffer, cursor, end - cursor);
    cursor = end + 2;
    return true;
}

bool HTTPReplyParser::HeaderLine(const std::string& line)
{
    if (!statusSeen) {
        // "HTTP/1.x nnn reason": three digits after the version.
        statusSeen = true;
        if (line.size() < 12 || !StartsWith(line, "HTTP/1.") || line[8] != ' ')
            return Fail(State::Error), false;
        const std::string code = line.substr(9, 3);
        for (char c : code)
            if (c < '0' || c > '9')
                return Fail(State::Error), false;
        status = std::stoi(code);
        if (status == 404)
            return Fail(State::NotFound), false;
        if (status != 200)
            return Fail(State::Error), false;
        return true;
    }
    if (line.empty()) {
        headersDone = true;
        return true;
    }
    if (StartsWith(line, "Transfer-Encoding: ")) {
        if (line.compare(19, std::string::npos, "identity") != 0)
            chunked = true;
    } else if (StartsWith(line, "Content-Length: ")) {
        const int length = ParseLength(Trim(line.substr(16)));
        if (length < 0)
            return Fail(State::Error), false;
        contentLength = bodyLeft = length;
        lengthGiven = true;
    }
    return true;
}

bool HTTPReplyParser::Step()
{
    if (!headersDone) {
        std::string line;
        return TakeLine(line) && HeaderLine(line);
    }
    const size_t available = buffer.size() - cursor;
    if (!chunked) {
        if (lengthGiven && contentLength == 0) {
            state = State::Done;
            return false;
        }
        if (contentLength < 1) {
            // No length: everything up to the close is the body.
            if (available == 0)
                return false;
            if (content.size() + available > size_t(kMaxContent))
                return Fail(State::Error), false;
            content.append(buffer, cursor, available);
            cursor += available;
            return false;
        }
        const size_t n = std::min(size_t(bodyLeft), available);
        content.append(buffer, cursor, n);
        cursor += n;
        bodyLeft -= int(n);
        if (bodyLeft == 0)
            state = State::Done;
        return false;
    }
    if (lineEndLeft > 0) {
        const size_t n = std::min(size_t(lineEndLeft), available);
        cursor += n;
        lineEndLeft -= int(n);
        return n > 0;
    }
    if (chunkLeft == 0) {
        std::string line;
        if (!TakeLine(line))
            return false;
        // Eight hex digits at most: a larger size cannot fit the limit.
        const std::string digits = Trim(line);
        int size = 0;
        if (digits.size() > 8 || !StringToInt("0x" + digits, size) || size == 0) {
            state = State::Done; // the last chunk, or a size line not understood
            return false;
        }
        if (size < 0 || content.size() + size_t(size) > size_t(kMaxContent))
            return Fail(State::Error), false;
        chunkLeft = size;
        return true;
    }
    const size_t n = std::min(size_t(chunkLeft), available);
    if (n == 0)
        return false;
    content.append(buffer, cursor, n);
    cursor += n;
    chunkLeft -= int(n);
    if (chunkLeft == 0)
        lineEndLeft = 2;
    return true;
}

} // namespace Kivo
