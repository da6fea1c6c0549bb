#include "platform/win32/MessageBox.h"

#include "platform/Backend.h"

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

} // namespace platform

int MessageBoxA(HWND, const char* text, const char* caption, UINT type)
{
    return platform::CurrentBackend().GetMessageBoxes().Show(text ? text : "", caption ? caption : "Error", type,
        platform::MessageBoxDefaultAnswer(type));
}
