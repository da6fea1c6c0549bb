#include "platform/win32/Winsock.h"

#include "platform/win32/SocketPosix.h"

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

namespace winsock {
namespace {

thread_local int tLastError = 0;
std::atomic<int> gStartups { 0 };

int Fd(SOCKET s)
{
    return s > SOCKET(0x7FFFFFFF) ? -1 : static_cast<int>(s);
}

bool PlausibleHostName(const char* name)
{
    const size_t n = std::strlen(name);
    if (n == 0 || n > 255)
        return false;
    for (size_t i = 0; i < n; ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'))
            return false;
    }
    return true;
}

// Marks the sockets in a set that are ready and rewrites the set to them.
void KeepReady(fd_set* set, const std::vector<platform::sock::PollItem>& items, size_t first, bool platform::sock::PollItem::*flag)
{
    if (!set)
        return;
    fd_set ready {};
    for (u_int i = 0; i < set->fd_count; ++i)
        if (items[first + i].*flag)
            ready.fd_array[ready.fd_count++] = set->fd_array[i];
    *set = ready;
}

} // namespace

int WSAStartup(WORD version, WSADATA* data)
{
    if (!data)
        return WSAEFAULT;
    std::memset(data, 0, sizeof *data);
    data->wHighVersion = MAKEWORD(2, 2);
    data->wVersion = version;
    std::strcpy(data->szDescription, "Kivo sockets");
    std::strcpy(data->szSystemStatus, "Running");
    data->iMaxSockets = 0xFFFF;
    if ((version & 0xFF) < 1)
        return 10092; // WSAVERNOTSUPPORTED
    ++gStartups;
    return 0;
}

int WSACleanup()
{
    int n = gStartups.load();
    while (n > 0 && !gStartups.compare_exchange_weak(n, n - 1)) {
    }
    if (n <= 0) {
        tLastError = WSANOTINITIALISED;
        return SOCKET_ERROR;
    }
    return 0;
}

int WSAGetLastError()
{
    return tLastError;
}

SOCKET socket(int af, int type, int protocol)
{
    if (af != AF_INET || type != SOCK_STREAM || (protocol != 0 && protocol != IPPROTO_TCP)) {
        tLastError = af != AF_INET ? WSAEAFNOSUPPORT : WSAEINVAL;
        return INVALID_SOCKET;
    }
    int fd = platform::sock::OpenStream(&tLastError);
    return fd < 0 ? INVALID_SOCKET : SOCKET(fd);
}

int closesocket(SOCKET s)
{
    const int fd = Fd(s);
    if (fd < 0) {
        tLastError = WSAENOTSOCK;
        return SOCKET_ERROR;
    }
    return platform::sock::Close(fd, &tLastError) < 0 ? SOCKET_ERROR : 0;
}

int ioctlsocket(SOCKET s, long cmd, u_long* arg)
{
    const int fd = Fd(s);
    if (fd < 0 || cmd != FIONBIO || !arg) {
        tLastError = fd < 0 ? WSAENOTSOCK : (arg ? WSAEINVAL : WSAEFAULT);
        return SOCKET_ERROR;
    }
    return platform::sock::SetNonBlocking(fd, *arg != 0, &tLastError) < 0 ? SOCKET_ERROR : 0;
}

int connect(SOCKET s, const sockaddr* name, int nameLength)
{
    const int fd = Fd(s);
    if (fd < 0 || !name || nameLength < int(sizeof(sockaddr_in))) {
        tLastError = fd < 0 ? WSAENOTSOCK : WSAEFAULT;
        return SOCKET_ERROR;
    }
    sockaddr_in to;
    std::memcpy(&to, name, sizeof to);
    if (to.sin_family != AF_INET) {
        tLastError = WSAEAFNOSUPPORT;
        return SOCKET_ERROR;
    }
    return platform::sock::Connect(fd, to.sin_addr.s_addr, to.sin_port, &tLastError) < 0 ? SOCKET_ERROR : 0;
}

int send(SOCKET s, const char* buf, int len, int flags)
{
    (void)flags;
    const int fd = Fd(s);
    if (fd < 0 || !buf || len < 0) {
        tLastError = fd < 0 ? WSAENOTSOCK : WSAEFAULT;
        return SOCKET_ERROR;
    }
    const int n = platform::sock::Send(fd, buf, len, &tLastError);
    return n < 0 ? SOCKET_ERROR : n;
}

int recv(SOCKET s, char* buf, int len, int flags)
{
    (void)flags;
    const int fd = Fd(s);
    if (fd < 0 || !buf || len < 0) {
        tLastError = fd < 0 ? WSAENOTSOCK : WSAEFAULT;
        return SOCKET_ERROR;
    }
    const int n = platform::sock::Recv(fd, buf, len, &tLastError);
    return n < 0 ? SOCKET_ERROR : n;
}

int select(int nfds, fd_set* readfds, fd_set* writefds, fd_set* exceptfds, const timeval* timeout)
{
    (void)nfds;
    using platform::sock::PollItem;
    std::vector<PollItem> items;
    for (fd_set* set : { readfds, writefds, exceptfds }) {
        if (!set)
            continue;
        if (set->fd_count > u_int(kFdSetSize)) {
            tLastError = WSAEINVAL;
            return SOCKET_ERROR;
        }
        for (u_int i = 0; i < set->fd_count; ++i) {
            const int fd = Fd(set->fd_array[i]);
            if (fd < 0) {
                tLastError = WSAENOTSOCK;
                return SOCKET_ERROR;
            }
            items.push_back({ fd, set == readfds, set == writefds, false, false, false });
        }
    }
    if (items.empty()) {
        tLastError = WSAEINVAL;
        return SOCKET_ERROR;
    }
    int timeoutMs = -1;
    if (timeout) {
        if (timeout->tv_sec < 0 || timeout->tv_usec < 0) {
            tLastError = WSAEINVAL;
            return SOCKET_ERROR;
        }
        const long long ms = (long long)timeout->tv_sec * 1000 + (timeout->tv_usec + 999) / 1000;
        timeoutMs = ms > 0x7FFFFFFF ? 0x7FFFFFFF : int(ms);
    }
    if (platform::sock::Poll(items.data(), int(items.size()), timeoutMs, &tLastError) < 0)
        return SOCKET_ERROR;
    const size_t readCount = readfds ? readfds->fd_count : 0;
    const size_t writeCount = writefds ? writefds->fd_count : 0;
    KeepReady(readfds, items, 0, &PollItem::readable);
    KeepReady(writefds, items, readCount, &PollItem::writable);
    KeepReady(exceptfds, items, readCount + writeCount, &PollItem::failed);
    int total = 0;
    for (fd_set* set : { readfds, writefds, exceptfds })
        total += set ? int(set->fd_count) : 0;
    return total;
}

int __WSAFDIsSet(SOCKET s, fd_set* set)
{
    if (!set)
        return 0;
    for (u_int i = 0; i < set->fd_count && i < u_int(kFdSetSize); ++i)
        if (set->fd_array[i] == s)
            return 1;
    return 0;
}

u_long inet_addr(const char* text)
{
    return text ? platform::sock::DottedAddress(text) : INADDR_NONE;
}

hostent* gethostbyname(const char* name)
{
    thread_local hostent entry;
    thread_local std::string storedName;
    thread_local std::vector<u_long> addresses;
    thread_local std::vector<char*> addressList;
    thread_local char* noAliases[1] = { nullptr };

    if (!name || !PlausibleHostName(name)) {
        tLastError = WSAHOST_NOT_FOUND;
        return nullptr;
    }
    std::vector<uint32_t> found = platform::sock::Resolve(name);
    if (found.empty()) {
        tLastError = WSAHOST_NOT_FOUND;
        return nullptr;
    }
    storedName = name;
    addresses.assign(found.begin(), found.end());
    addressList.clear();
    for (u_long& a : addresses)
        addressList.push_back(reinterpret_cast<char*>(&a));
    addressList.push_back(nullptr);
    entry.h_name = storedName.data();
    entry.h_aliases = noAliases;
    entry.h_addrtype = AF_INET;
    entry.h_length = 4;
    entry.h_addr_list = addressList.data();
    return &entry;
}

u_short htons(u_short value) { return u_short((value >> 8) | (value << 8)); }
u_short ntohs(u_short value) { return htons(value); }
u_long htonl(u_long value) { return __builtin_bswap32(value); }
u_long ntohl(u_long value) { return htonl(value); }

} // namespace winsock
