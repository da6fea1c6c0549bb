#include "platform/win32/Winsock.h"
#include "tests/support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace ws = winsock;

TEST(Winsock, AddressesAndNames)
{
    EXPECT_EQ(ws::inet_addr("127.0.0.1"), ws::htonl(0x7F000001));
    EXPECT_EQ(ws::inet_addr("not.an.address"), ws::INADDR_NONE);
    EXPECT_EQ(ws::inet_addr(""), ws::INADDR_NONE);
    EXPECT_EQ(ws::htons(0x1234), 0x3412);
    // Refused before any lookup.
    for (const char* name : { "", "space name", "a/b" })
        EXPECT_EQ(ws::gethostbyname(name), nullptr) << name;
    EXPECT_EQ(ws::WSAGetLastError(), ws::WSAHOST_NOT_FOUND);
    EXPECT_EQ(ws::socket(ws::AF_INET + 1, ws::SOCK_STREAM, 0), ws::INVALID_SOCKET);
    EXPECT_EQ(ws::WSAGetLastError(), ws::WSAEAFNOSUPPORT);
}

// Connect without blocking, wait for writable, send, then read the reply
// to its end: the sequence an HTTP transfer runs.
TEST(Winsock, NonBlockingExchangeWithALocalServer)
{
    test::LoopbackServer server("pong");
    ws::WSADATA data;
    ASSERT_EQ(ws::WSAStartup(ws::MAKEWORD(1, 1), &data), 0);
    ws::SOCKET s = ws::socket(ws::AF_INET, ws::SOCK_STREAM, ws::IPPROTO_TCP);
    ASSERT_NE(s, ws::INVALID_SOCKET);
    ws::u_long on = 1;
    EXPECT_EQ(ws::ioctlsocket(s, ws::FIONBIO, &on), 0);
    ws::sockaddr_in to {};
    to.sin_family = ws::AF_INET;
    to.sin_port = ws::htons(server.Port());
    to.sin_addr.s_addr = ws::inet_addr("127.0.0.1");
    if (ws::connect(s, reinterpret_cast<const ws::sockaddr*>(&to), sizeof to) != 0) {
        EXPECT_EQ(ws::WSAGetLastError(), ws::WSAEWOULDBLOCK);
    }

    auto wait = [&](bool read) {
        ws::fd_set set, errors;
        ws::FdZero(&set);
        ws::FdZero(&errors);
        ws::FdAdd(s, &set);
        ws::FdAdd(s, &errors);
        const timeval limit { 5, 0 };
        int n = ws::select(0, read ? &set : nullptr, read ? nullptr : &set, &errors, &limit);
        return n > 0 && ws::__WSAFDIsSet(s, &set) && !ws::__WSAFDIsSet(s, &errors);
    };
    ASSERT_TRUE(wait(false));
    const std::string request = "ping\r\n\r\n";
    EXPECT_EQ(ws::send(s, request.data(), int(request.size()), 0), int(request.size()));
    std::string reply;
    char buf[16];
    for (int i = 0; i < 100 && wait(true); ++i) {
        int n = ws::recv(s, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        reply.append(buf, size_t(n));
    }
    EXPECT_EQ(reply, "pong");
    EXPECT_EQ(server.Request(), request);
    EXPECT_EQ(ws::closesocket(s), 0);
    EXPECT_EQ(ws::WSACleanup(), 0);
}
