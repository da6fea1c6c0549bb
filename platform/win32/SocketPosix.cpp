#include "platform/win32/SocketPosix.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform::sock {
namespace {

int WsaCode(int e)
{
    switch (e) {
    case EINTR: return 10004;
    case EBADF: return 10009;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EAGAIN: return 10035;
    case EINPROGRESS: return 10035; // a non-blocking connect under way
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EAFNOSUPPORT: return 10047;
    case EADDRNOTAVAIL: return 10049;
    case ENETUNREACH: return 10051;
    case ECONNABORTED: return 10053;
    case ECONNRESET: return 10054;
    case EPIPE: return 10054;
    case ENOBUFS: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case EHOSTUNREACH: return 10065;
    case EMFILE: return 10024;
    default: return 10022;
    }
}

int Fail(int* error)
{
    if (error)
        *error = WsaCode(errno);
    return -1;
}

} // namespace

int OpenStream(int* error)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    return fd < 0 ? Fail(error) : fd;
}

int Close(int fd, int* error)
{
    return ::close(fd) != 0 ? Fail(error) : 0;
}

int SetNonBlocking(int fd, bool on, int* error)
{
    int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0)
        return Fail(error);
    flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    return ::fcntl(fd, F_SETFL, flags) != 0 ? Fail(error) : 0;
}

int Connect(int fd, uint32_t address, uint16_t port, int* error)
{
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_port = port;
    to.sin_addr.s_addr = address;
    return ::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0 ? Fail(error) : 0;
}

int Send(int fd, const char* data, int length, int* error)
{
    // A peer that has gone must give an error, not SIGPIPE.
    ssize_t n = ::send(fd, data, static_cast<size_t>(length), MSG_NOSIGNAL);
    return n < 0 ? Fail(error) : static_cast<int>(n);
}

int Recv(int fd, char* data, int length, int* error)
{
    ssize_t n = ::recv(fd, data, static_cast<size_t>(length), 0);
    return n < 0 ? Fail(error) : static_cast<int>(n);
}

int Poll(PollItem* items, int count, int timeoutMs, int* error)
{
    std::vector<pollfd> fds(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        fds[size_t(i)].fd = items[i].fd;
        fds[size_t(i)].events = short((items[i].wantRead ? POLLIN : 0) | (items[i].wantWrite ? POLLOUT : 0));
    }
    int n = ::poll(fds.data(), fds.size(), timeoutMs);
    if (n < 0)
        return Fail(error);
    int ready = 0;
    for (int i = 0; i < count; ++i) {
        const short r = fds[size_t(i)].revents;
        PollItem& item = items[i];
        // A failed connect shows as an error, as in Windows' error set; a
        // hang-up after data still reads (the data, then the end).
        item.failed = (r & (POLLERR | POLLNVAL)) != 0;
        item.readable = item.wantRead && (r & (POLLIN | POLLHUP)) != 0;
        item.writable = item.wantWrite && !item.failed && (r & POLLOUT) != 0;
        ready += int(item.failed) + int(item.readable) + int(item.writable);
    }
    return ready;
}

uint32_t DottedAddress(const char* text)
{
    return ::inet_addr(text);
}

std::vector<uint32_t> Resolve(const char* name)
{
    std::vector<uint32_t> out;
    addrinfo hints {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &list) != 0)
        return out;
    for (addrinfo* a = list; a; a = a->ai_next)
        if (a->ai_family == AF_INET && a->ai_addrlen >= sizeof(sockaddr_in))
            out.push_back(reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr);
    ::freeaddrinfo(list);
    return out;
}

} // namespace platform::sock
