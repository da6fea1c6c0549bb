#include "framework/app/HTTPReplyParser.h"
#include "framework/app/HTTPTransfer.h"
#include "tests/support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using Kivo::HTTPReplyParser;
using Kivo::HTTPTransfer;

namespace {

// Waits, bounded, until the transfer's thread has ended.
void WaitEnded(HTTPTransfer& t)
{
    for (int i = 0; i < 500 && t.busy; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_FALSE(t.busy);
}

struct ReplyCase {
    const char* name;
    std::string reply;
    HTTPReplyParser::State state;
    std::string content;
};

const ReplyCase kReplies[] = {
    { "closed body", "HTTP/1.1 200 OK\r\nServer: x\r\n\r\nhello world", HTTPReplyParser::State::Done, "hello world" },
    { "length", "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhelloEXTRA", HTTPReplyParser::State::Done, "hello" },
    { "zero length", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", HTTPReplyParser::State::Done, "" },
    { "chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n",
        HTTPReplyParser::State::Done, "hello" },
    { "hex chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\n\r\na\r\n0123456789\r\n3\r\nabc\r\n0\r\n\r\n",
        HTTPReplyParser::State::Done, "0123456789abc" },
    { "identity", "HTTP/1.1 200 OK\r\nTransfer-Encoding: identity\r\nContent-Length: 3\r\n\r\n5\r\nab",
        HTTPReplyParser::State::Done, "5\r\n" },
    { "bad chunk size ends body", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nok\r\nzz\r\nnever",
        HTTPReplyParser::State::Done, "ok" },
    { "not found", "HTTP/1.1 404 Not Found\r\n\r\n", HTTPReplyParser::State::NotFound, "" },
    { "server error", "HTTP/1.1 500 Oops\r\n\r\n", HTTPReplyParser::State::Error, "" },
    { "no status line", "Content-Length: 2\r\n\r\nhi", HTTPReplyParser::State::Error, "" },
    { "short status line", "HTTP/1.1 20\r\n\r\n", HTTPReplyParser::State::Error, "" },
    { "bad length", "HTTP/1.1 200 OK\r\nContent-Length: 12x\r\n\r\nhi", HTTPReplyParser::State::Error, "" },
    { "negative length", "HTTP/1.1 200 OK\r\nContent-Length: -4\r\n\r\nhi", HTTPReplyParser::State::Error, "" },
    { "huge length", "HTTP/1.1 200 OK\r\nContent-Length: 99999999999\r\n\r\n", HTTPReplyParser::State::Error, "" },
    { "huge chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7fffffff\r\nab", HTTPReplyParser::State::Error,
        "" },
};

TEST(HTTPReplyParser, RepliesWholeAndByteByByte)
{
    for (const ReplyCase& c : kReplies) {
        SCOPED_TRACE(c.name);
        HTTPReplyParser whole;
        whole.Feed(c.reply.data(), c.reply.size());
        EXPECT_EQ(whole.Close(), c.state);
        HTTPReplyParser bytes;
        for (char ch : c.reply)
            bytes.Feed(&ch, 1);
        EXPECT_EQ(bytes.Close(), c.state);
        if (c.state == HTTPReplyParser::State::Done) {
            EXPECT_EQ(whole.content, c.content);
            EXPECT_EQ(bytes.content, c.content);
        }
    }
}

TEST(HTTPReplyParser, EndsOnlyWhenTheReplyIsComplete)
{
    HTTPReplyParser p;
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nab";
    EXPECT_EQ(p.Feed(head.data(), head.size()), HTTPReplyParser::State::More);
    EXPECT_EQ(p.Feed("cd", 2), HTTPReplyParser::State::Done);
    EXPECT_EQ(p.contentLength, 4);

    // A connection that closes before the headers end carries no reply.
    HTTPReplyParser cut;
    cut.Feed("HTTP/1.1 200 OK\r\nCont", 21);
    EXPECT_EQ(cut.Close(), HTTPReplyParser::State::Error);

    // A header line with no end is refused once it passes the line limit.
    HTTPReplyParser endless;
    const std::string line(HTTPReplyParser::kMaxLine + 1, 'x');
    endless.Feed("HTTP/1.1 200 OK\r\n", 17);
    EXPECT_EQ(endless.Feed(line.data(), line.size()), HTTPReplyParser::State::Error);
}

TEST(HTTPTransfer, SplitsTheUrl)
{
    struct {
        const char* url;
        const char* host;
        int port;
        const char* path;
        const char* protocol;
    } cases[] = {
        { "http://example.com/a/b", "example.com", 80, "/a/b", "http" },
        { "http://example.com:8080", "example.com", 8080, "/", "http" },
        { "host.name/x?y=1", "host.name", 80, "/x?y=1", "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        HTTPTransfer t;
        t.PrepareTransfer(c.url);
        EXPECT_EQ(t.host, c.host);
        EXPECT_EQ(t.port, c.port);
        EXPECT_EQ(t.path, c.path);
        EXPECT_EQ(t.protocol, c.protocol);
        EXPECT_EQ(t.result, HTTPTransfer::RESULT_NOT_COMPLETED);
    }
}

TEST(HTTPTransfer, SendsTheRequestAndCollectsTheReply)
{
    struct {
        std::string reply;
        bool keepOpen;
        int result;
        std::string content;
    } cases[] = {
        { "HTTP/1.1 200 OK\r\n\r\nthe body", false, HTTPTransfer::RESULT_DONE, "the body" },
        { "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", true, HTTPTransfer::RESULT_DONE, "hello" },
        { "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n", true,
            HTTPTransfer::RESULT_DONE, "hello" },
        { "HTTP/1.1 404 Not Found\r\n\r\n", false, HTTPTransfer::RESULT_NOT_FOUND, "" },
        { "HTTP/1.1 500 Internal\r\n\r\n", false, HTTPTransfer::RESULT_HTTP_ERROR, "" },
        { "", false, HTTPTransfer::RESULT_HTTP_ERROR, "" },
    };
    const std::string request = "POST /up HTTP/1.1\r\nHost: here\r\nContent-Length: 4\r\n\r\nbody";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        test::LoopbackServer server(c.reply, c.keepOpen);
        ASSERT_NE(server.Port(), 0);
        HTTPTransfer t;
        t.SendRequest(server.Url("/up"), request);
        WaitEnded(t);
        EXPECT_EQ(t.result, c.result);
        EXPECT_EQ(t.content, c.content);
        EXPECT_EQ(server.Request(), request);
        EXPECT_FALSE(t.threadRunning);
        EXPECT_EQ(t.socket, 0u);
    }
}

TEST(HTTPTransfer, OwnerAbortsAWaitingTransfer)
{
    test::LoopbackServer silent("", true);
    HTTPTransfer t;
    t.SendRequest(silent.Url(), "GET / HTTP/1.1\r\n\r\n");
    silent.Request(); // the request has arrived; no reply will come
    EXPECT_EQ(t.result, HTTPTransfer::RESULT_NOT_COMPLETED);
    t.Abort();
    WaitEnded(t);
    EXPECT_EQ(t.result, HTTPTransfer::RESULT_ABORTED);

    // Reset on a running transfer stops it and starts over.
    test::LoopbackServer again("", true);
    t.SendRequest(again.Url(), "GET / HTTP/1.1\r\n\r\n");
    again.Request();
    t.Reset();
    EXPECT_FALSE(t.busy);
    EXPECT_EQ(t.result, HTTPTransfer::RESULT_NOT_STARTED);
}

TEST(HTTPTransfer, AddressAndConnectionFailures)
{
    HTTPTransfer t;
    // Neither host reaches a resolver: empty, and not a host name at all.
    for (const char* url : { "http:///x", "http://bad host!/x" }) {
        t.SendRequest(url, "GET / HTTP/1.1\r\n\r\n");
        WaitEnded(t);
        EXPECT_EQ(t.result, HTTPTransfer::RESULT_INVALID_ADDR) << url;
    }
    uint16_t closedPort;
    {
        test::LoopbackServer gone("");
        closedPort = gone.Port();
    }
    t.SendRequest("http://127.0.0.1:" + std::to_string(closedPort) + "/", "GET / HTTP/1.1\r\n\r\n");
    WaitEnded(t);
    EXPECT_EQ(t.result, HTTPTransfer::RESULT_CONNECT_FAIL);
}

TEST(HTTPTransfer, IdsComeFromOneCounter)
{
    HTTPTransfer a, b;
    a.PrepareTransfer("h/");
    b.PrepareTransfer("h/");
    EXPECT_NE(a.transferId, b.transferId);
    const int before = a.transferId;
    a.Reset();
    EXPECT_GT(a.transferId, before);
}

} // namespace
