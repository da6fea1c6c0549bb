#pragma once
// The POSIX side of the Winsock layer, in a header of its own because the
// POSIX socket headers define AF_INET, FIONBIO and the like as macros.
// Addresses and ports are in network byte order; failures return -1 and
// leave the WSA code of the cause in *error.
#include <cstdint>
#include <vector>

namespace platform::sock {

int OpenStream(int* error);
int Close(int fd, int* error);
int SetNonBlocking(int fd, bool on, int* error);
int Connect(int fd, uint32_t address, uint16_t port, int* error);
int Send(int fd, const char* data, int length, int* error);
int Recv(int fd, char* data, int length, int* error);

struct PollItem {
    int fd;
    bool wantRead, wantWrite;
    bool readable, writable, failed;
};
// Ready count, 0 on a time-out; a negative timeout waits for ever.
int Poll(PollItem* items, int count, int timeoutMs, int* error);

// INADDR_NONE (all bits set) when the text is not a dotted address.
uint32_t DottedAddress(const char* text);
// IPv4 addresses of a name; empty when it does not resolve.
std::vector<uint32_t> Resolve(const char* name);

} // namespace platform::sock
