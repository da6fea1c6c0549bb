#include "platform/win32/MessageBox.h"

#include "platform/Backend.h"
#include "platform/StopSignal.h"

#include <cstdio>

namespace platform {

int MessageBoxButtons(UINT type, int answers[3])
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        answers[0] = IDOK, answers[1] = IDCANCEL;
        return 2;
    case MB_ABORTRETRYIGNORE:
        answers[0] = IDABORT, answers[1] = IDRETRY, answers[2] = IDIGNORE;
        return 3;
    case MB_YESNOCANCEL:
        answers[0] = IDYES, answers[1] = IDNO, answers[2] = IDCANCEL;
        return 3;
    case MB_YESNO:
        answers[0] = IDYES, answers[1] = IDNO;
        return 2;
    case MB_RETRYCANCEL:
        answers[0] = IDRETRY, answers[1] = IDCANCEL;
        return 2;
    default:
        answers[0] = IDOK;
        return 1;
    }
}

int MessageBoxDefaultAnswer(UINT type)
{
    int answers[3];
    int count = MessageBoxButtons(type, answers);
    int index = static_cast<int>((type & MB_DEFMASK) >> 8);
    return answers[index < count ? index : 0];
}

int MessageBoxStopAnswer(UINT type)
{
    int answers[3];
    int count = MessageBoxButtons(type, answers);
    for (int i = 0; i < count; ++i) {
        if (answers[i] == IDCANCEL)
            return IDCANCEL;
    }
    return MessageBoxDefaultAnswer(type);
}

} // namespace platform

int MessageBoxA(HWND, const char* text, const char* caption, UINT type)
{
    if (text == nullptr)
        text = "";
    if (caption == nullptr)
        caption = "Error";
    // An error box tells why something failed or ended: a terminal shows it
    // too. Other boxes reach stderr when nobody can see them.
    const bool error = (type & 0xF0) == MB_ICONERROR;
    auto say = [&] { std::fprintf(stderr, "[%s] %s\n", caption, text); };
    if (error)
        say();
    // A stop already asked for: nobody is left to answer, and the caller
    // must get back to the loop that shuts down.
    if (platform::StopSignal() != 0) {
        if (!error)
            say();
        return platform::MessageBoxStopAnswer(type);
    }
    const int defaultAnswer = platform::MessageBoxDefaultAnswer(type);
    const int answer = platform::CurrentBackend().GetMessageBoxes().Show(text, caption, type, defaultAnswer);
    if (answer != 0)
        return answer;
    if (!error)
        say();
    return defaultAnswer;
}
