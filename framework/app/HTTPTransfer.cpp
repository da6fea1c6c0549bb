#include "framework/app/HTTPTransfer.h"

#include "framework/app/KivoAppBase.h"
#include "platform/win32/Sync.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace Kivo {
namespace {

std::atomic<int> gNextTransferId { 1 };

int TakeTransferId()
{
    return gNextTransferId++;
}

// The worker is a real thread, so polling for it waits in real time
// whatever clock the backend runs on.
void PollPause()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

} // namespace

HTTPTransfer::HTTPTransfer(int id)
    : transferId(id)
{
}

HTTPTransfer::~HTTPTransfer()
{
    abortedByOwner = true;
    stopFlag = true;
    while (threadRunning)
        PollPause();
}

void HTTPTransfer::SendRequest(const std::string& requestUrl, const std::string& requestText)
{
    unusedText1.clear();
    unusedText2.clear();
    PrepareTransfer(requestUrl);
    sendText = requestText;
    busy = true;
    if (gKivoApp && gKivoApp->demoPlaying)
        return;
    threadRunning = true;
    if (_beginthread(&HTTPTransfer::TransferProc, 0, this) == uintptr_t(-1)) {
        // No thread: nothing will connect, so say so rather than wait.
        result = RESULT_SOCKET_ERROR;
        threadRunning = false;
        busy = false;
    }
}

void HTTPTransfer::PrepareTransfer(const std::string& requestUrl)
{
    Reset();
    transferId = TakeTransferId();
    url = requestUrl;
    stopFlag = false;
    abortedByOwner = false;
    result = RESULT_NOT_COMPLETED;
    content.clear();
    contentLength = 0;
    port = 80;
    protocol.clear();

    size_t hostStart = 0;
    const size_t slashes = url.find("//");
    if (slashes != std::string::npos) {
        protocol = url.substr(0, slashes > 0 ? slashes - 1 : 0);
        hostStart = slashes + 2;
    }
    const size_t slash = url.find('/', hostStart);
    if (slash == std::string::npos) {
        host = url.substr(hostStart);
        path.assign(1, '/'); // assigning a literal here trips a false -Wrestrict in GCC 12 at -O3
    } else {
        host = url.substr(hostStart, slash - hostStart);
        path = url.substr(slash);
    }
    const size_t colon = host.find(':');
    if (colon != std::string::npos) {
        port = std::atoi(host.c_str() + colon + 1);
        host.erase(colon);
    }
}

void HTTPTransfer::Reset()
{
    if (threadRunning) {
        abortedByOwner = true;
        stopFlag = true;
        WaitFor();
    }
    transferId = TakeTransferId();
    result = RESULT_NOT_STARTED;
    lastDemoResult = RESULT_NOT_STARTED;
    content.clear();
    stopFlag = false;
    abortedByOwner = false;
    url.clear();
    sendText.clear();
    path.clear();
}

void HTTPTransfer::Abort()
{
    abortedByOwner = true;
    stopFlag = true;
}

void HTTPTransfer::UpdateStatus()
{
    KivoAppBase* app = gKivoApp;
    if (!app)
        return;
    Buffer& demo = app->demoBuffer;
    if (app->demoRecording && result != lastDemoResult) {
        const int now = result;
        app->WriteEventHeader();
        demo.WriteNumBits(0, 1);
        demo.WriteNumBits(kDemoCommand, 5);
        demo.WriteLong(transferId);
        demo.WriteByte(static_cast<uint8_t>(now));
        demo.WriteString(now == RESULT_NOT_COMPLETED ? std::string() : content);
        lastDemoResult = now;
    } else if (app->demoPlaying && !demo.AtEnd() && app->ReadEventHeader() && !app->eventIsShort
               && app->eventCommand == kDemoCommand) {
        const int32_t mark = demo.readPos;
        if (demo.ReadLong() != transferId) {
            demo.readPos = mark;
            return;
        }
        result = demo.ReadByte();
        content = demo.ReadString();
        lastDemoResult = result;
        app->needHeader = true;
    }
}

void HTTPTransfer::WaitFor()
{
    while (busy) {
        UpdateStatus();
        PollPause();
    }
}

void HTTPTransfer::TransferProc(void* arg)
{
    static_cast<HTTPTransfer*>(arg)->Run();
}

void HTTPTransfer::Fail(Result r)
{
    result = r;
    stopFlag = true;
}

bool HTTPTransfer::WaitForSocket(bool readable, bool writable)
{
    using namespace winsock;
    using winsock::fd_set;
    while (!stopFlag) {
        const SOCKET s = socket;
        fd_set readSet, writeSet, errorSet;
        FdZero(&readSet);
        FdZero(&writeSet);
        FdZero(&errorSet);
        if (readable)
            FdAdd(s, &readSet);
        if (writable)
            FdAdd(s, &writeSet);
        FdAdd(s, &errorSet);
        const timeval wait { 0, 100000 };
        const int n = select(0, readable ? &readSet : nullptr, writable ? &writeSet : nullptr, &errorSet, &wait);
        if (n == SOCKET_ERROR || __WSAFDIsSet(s, &errorSet)) {
            Fail(RESULT_SOCKET_ERROR);
            return false;
        }
        if ((readable && __WSAFDIsSet(s, &readSet)) || (writable && __WSAFDIsSet(s, &writeSet)))
            return true;
    }
    return true;
}

void HTTPTransfer::Run()
{
    using namespace winsock;
    using winsock::u_long;
    using winsock::u_short;
    WSADATA wsa;
    WSAStartup(MAKEWORD(1, 1), &wsa);
    SOCKET s = winsock::socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET) {
        Fail(RESULT_SOCKET_ERROR);
        s = 0;
    } else {
        u_long on = 1;
        ioctlsocket(s, FIONBIO, &on);
    }
    socket = s;

    sockaddr_in to {};
    if (!stopFlag) {
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<u_short>(port));
        to.sin_addr.s_addr = inet_addr(host.c_str());
        if (to.sin_addr.s_addr == INADDR_NONE) {
            hostent* entry = gethostbyname(host.c_str());
            if (!entry || !entry->h_addr_list || !entry->h_addr_list[0] || entry->h_length != 4)
                Fail(RESULT_INVALID_ADDR);
            else
                std::memcpy(&to.sin_addr.s_addr, entry->h_addr_list[0], 4);
        }
    }
    // A port outside 1..65535 cannot be connected to.
    if (!stopFlag && (port < 1 || port > 65535))
        Fail(RESULT_CONNECT_FAIL);

    if (!stopFlag) {
        if (connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) == SOCKET_ERROR) {
            if (WSAGetLastError() != WSAEWOULDBLOCK)
                Fail(RESULT_CONNECT_FAIL);
            if (!WaitForSocket(false, true))
                Fail(RESULT_CONNECT_FAIL);
        }
    }

    while (!sendText.empty() && !stopFlag) {
        if (!WaitForSocket(false, true) || stopFlag)
            break;
        const int chunk = static_cast<int>(std::min<size_t>(sendText.size(), 0x7FFFFFFF));
        const int sent = send(s, sendText.data(), chunk, 0);
        if (sent < 1)
            Fail(RESULT_SEND_FAIL);
        else
            sendText.erase(0, static_cast<size_t>(sent));
    }

    if (!stopFlag) {
        HTTPReplyParser reply;
        char data[256];
        while (!stopFlag) {
            if (!WaitForSocket(true, false) || stopFlag)
                break;
            const int got = recv(s, data, sizeof data, 0);
            HTTPReplyParser::State state = got < 1 ? reply.Close() : reply.Feed(data, static_cast<size_t>(got));
            contentLength = reply.contentLength;
            if (state == HTTPReplyParser::State::More)
                continue;
            content = std::move(reply.content);
            if (state == HTTPReplyParser::State::NotFound)
                Fail(RESULT_NOT_FOUND);
            else if (state == HTTPReplyParser::State::Error)
                Fail(RESULT_HTTP_ERROR);
            break;
        }
    }

    if (s)
        closesocket(s);
    socket = 0;
    WSACleanup();
    if (abortedByOwner)
        Fail(RESULT_ABORTED);
    else {
        int expected = RESULT_NOT_COMPLETED;
        result.compare_exchange_strong(expected, RESULT_DONE);
    }
    busy = false;
    threadRunning = false;
}

} // namespace Kivo
