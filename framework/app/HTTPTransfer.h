#pragma once
// One prepared HTTP request sent over a plain TCP connection on a thread of
// its own. The caller writes the whole request text; the transfer splits the
// URL into host, port and path, connects, sends, and collects the reply's
// body. The owner polls result and content; shared fields are atomic words.
// While a demo records, each change of result is written to it; while one
// plays, no thread starts and results come from the recording.
#include "framework/app/HTTPReplyParser.h"
#include "platform/win32/Winsock.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace Kivo {

class HTTPTransfer {
public:
    enum Result {
        RESULT_DONE = 0,
        RESULT_NOT_STARTED = 1,
        RESULT_NOT_COMPLETED = 2,
        RESULT_NOT_FOUND = 3,
        RESULT_HTTP_ERROR = 4,
        RESULT_ABORTED = 5,
        RESULT_SOCKET_ERROR = 6,
        RESULT_INVALID_ADDR = 7,
        RESULT_CONNECT_FAIL = 8,
        RESULT_SEND_FAIL = 9,
    };
    // Demo command of a transfer's result.
    static constexpr int kDemoCommand = 17;

    explicit HTTPTransfer(int transferId = 0);
    virtual ~HTTPTransfer();
    HTTPTransfer(const HTTPTransfer&) = delete;
    HTTPTransfer& operator=(const HTTPTransfer&) = delete;

    void SendRequest(const std::string& url, const std::string& requestText);
    void PrepareTransfer(const std::string& url);
    void Reset();
    void UpdateStatus();
    void WaitFor();
    // The owner's stop: the transfer ends with RESULT_ABORTED.
    void Abort();

    int transferId;
    std::atomic<winsock::SOCKET> socket { 0 };
    std::string sendText;
    std::string unusedText1;
    std::string unusedText2;
    std::string url;
    std::string protocol;
    std::string host;
    int port = 80;
    std::string path;
    std::atomic<int> contentLength { 0 };
    std::string content; // read by the owner once the result is final
    std::atomic<bool> busy { false };
    std::atomic<bool> threadRunning { false };
    std::atomic<bool> stopFlag { false };
    std::atomic<bool> abortedByOwner { false };
    std::atomic<int> result { RESULT_NOT_STARTED };
    int lastDemoResult = RESULT_NOT_STARTED;

private:
    static void TransferProc(void* arg);
    void Run();
    bool WaitForSocket(bool readable, bool writable);
    void Fail(Result r);
};

} // namespace Kivo
