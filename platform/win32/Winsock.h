#pragma once
// The client side of Winsock 1.1 that HTTP transfers use, over POSIX sockets.
// The calls live in namespace winsock: glibc's select, fd_set and FD_* are
// visible through the standard headers and would clash in the global one.
// Sockets are non-negative descriptors; INVALID_SOCKET marks a failure.
#include "platform/win32/WinTypes.h"

#include <sys/time.h>

namespace winsock {

using SOCKET = UINT_PTR;
using u_short = uint16_t;
using u_int = uint32_t;
using u_long = uint32_t;

inline constexpr SOCKET INVALID_SOCKET = ~SOCKET(0);
inline constexpr int SOCKET_ERROR = -1;
inline constexpr int AF_INET = 2;
inline constexpr int SOCK_STREAM = 1;
inline constexpr int IPPROTO_TCP = 6;
inline constexpr long FIONBIO = static_cast<long>(0x8004667E);
inline constexpr u_long INADDR_NONE = 0xFFFFFFFF;
// Windows' FD_SETSIZE; glibc already defines that name as a macro.
inline constexpr int kFdSetSize = 64;

inline constexpr int WSAEINTR = 10004;
inline constexpr int WSAEBADF = 10009;
inline constexpr int WSAEFAULT = 10014;
inline constexpr int WSAEINVAL = 10022;
inline constexpr int WSAEWOULDBLOCK = 10035;
inline constexpr int WSAEINPROGRESS = 10036;
inline constexpr int WSAENOTSOCK = 10038;
inline constexpr int WSAEAFNOSUPPORT = 10047;
inline constexpr int WSAECONNRESET = 10054;
inline constexpr int WSAENOTCONN = 10057;
inline constexpr int WSAETIMEDOUT = 10060;
inline constexpr int WSAECONNREFUSED = 10061;
inline constexpr int WSAEHOSTUNREACH = 10065;
inline constexpr int WSANOTINITIALISED = 10093;
inline constexpr int WSAHOST_NOT_FOUND = 11001;

constexpr WORD MAKEWORD(BYTE low, BYTE high) { return WORD(low | (WORD(high) << 8)); }

struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    char szDescription[257];
    char szSystemStatus[129];
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char* lpVendorInfo;
};

struct in_addr {
    u_long s_addr; // network byte order
};

struct sockaddr {
    u_short sa_family;
    char sa_data[14];
};

struct sockaddr_in {
    short sin_family;
    u_short sin_port; // network byte order
    in_addr sin_addr;
    char sin_zero[8];
};

struct hostent {
    char* h_name;
    char** h_aliases;
    short h_addrtype;
    short h_length;
    char** h_addr_list;
};

struct fd_set {
    u_int fd_count;
    SOCKET fd_array[kFdSetSize];
};

// Only the version 1.1 and 2.x families are known; the counter of
// WSAStartup calls not yet matched by WSACleanup is kept.
int WSAStartup(WORD version, WSADATA* data);
int WSACleanup();
// The last error of the calling thread, as a WSA code.
int WSAGetLastError();

// AF_INET stream sockets only.
SOCKET socket(int af, int type, int protocol);
int closesocket(SOCKET s);
// FIONBIO only: a non-zero *arg switches the socket to non-blocking.
int ioctlsocket(SOCKET s, long cmd, u_long* arg);
int connect(SOCKET s, const sockaddr* name, int nameLength);
int send(SOCKET s, const char* buf, int len, int flags);
int recv(SOCKET s, char* buf, int len, int flags);
// The first argument is ignored, as on Windows. Each set is rewritten to
// hold only its ready sockets.
int select(int nfds, fd_set* readfds, fd_set* writefds, fd_set* exceptfds, const timeval* timeout);
int __WSAFDIsSet(SOCKET s, fd_set* set);

// Dotted IPv4 text, INADDR_NONE when it is not one.
u_long inet_addr(const char* text);
// IPv4 addresses of a name, in storage of the calling thread that the next
// call replaces; null when the name does not resolve. Names that cannot be
// host names (empty, longer than 255 bytes, or holding bytes other than
// letters, digits, '-' and '.') are refused before any lookup.
hostent* gethostbyname(const char* name);

u_short htons(u_short value);
u_short ntohs(u_short value);
u_long htonl(u_long value);
u_long ntohl(u_long value);

// The helpers behind the Windows macros.
inline void FdZero(fd_set* set) { set->fd_count = 0; }
inline void FdAdd(SOCKET s, fd_set* set)
{
    for (u_int i = 0; i < set->fd_count; ++i)
        if (set->fd_array[i] == s)
            return;
    if (set->fd_count < kFdSetSize)
        set->fd_array[set->fd_count++] = s;
}

} // namespace winsock
