#include "framework/app/KivoAppBase.h"

#include "framework/core/Strings.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Paths.h"
#include "platform/Windows.h"
#include "platform/win32/Clipboard.h"
#include "platform/win32/Shell.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <future>
#include <memory>
#include <vector>

namespace Kivo {

namespace {

bool gFirstScreenSaverError = true;

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += c >= 0 && c < 256 ? char(c) : '?';
    return out;
}

} // namespace

// Dialogs.

Dialog* KivoAppBase::NewDialog(int id, bool isModal, const std::string& header, const std::string& lines,
                               const std::string& footer, int buttonMode)
{
    return new Dialog(nullptr, nullptr, id, isModal, header, lines, footer, buttonMode);
}

Dialog* KivoAppBase::DoDialog(int id, bool isModal, const std::string& header, const std::string& lines,
                              const std::string& footer, int buttonMode)
{
    KillDialog(id);
    Dialog* dialog = NewDialog(id, isModal, header, lines, footer, buttonMode);
    AddDialog(id, dialog);
    return dialog;
}

Dialog* KivoAppBase::GetDialog(int id)
{
    auto it = dialogMap.find(id);
    return it == dialogMap.end() ? nullptr : it->second;
}

void KivoAppBase::AddDialog(Dialog* dialog)
{
    AddDialog(dialog->mId, dialog);
}

void KivoAppBase::AddDialog(int id, Dialog* dialog)
{
    // Adding the dialog that is already held under the id must not kill it:
    // it would be queued for deletion and then put back into the tree.
    if (GetDialog(id) == dialog)
        return;
    KillDialog(id);
    if (dialog->mWidth == 0) {
        const int w = width / 2;
        const int h = dialog->GetPreferredHeight(w);
        dialog->Resize((width - w) / 2, height / 5, w, h);
    }
    dialogMap[id] = dialog;
    dialogList.push_back(dialog);
    widgetManager->AddWidget(dialog);
    if (dialog->IsModal()) {
        widgetManager->AddBaseModal(dialog);
        ModalOpen();
    }
}

bool KivoAppBase::KillDialog(Dialog* dialog)
{
    return KillDialog(dialog->mId);
}

bool KivoAppBase::KillDialog(int id)
{
    return KillDialog(id, true, true);
}

bool KivoAppBase::KillDialog(int id, bool removeWidget, bool deleteWidget)
{
    auto it = dialogMap.find(id);
    if (it == dialogMap.end())
        return false;
    Dialog* dialog = it->second;
    if (dialog == demoDialog)
        demoDialog = nullptr;
    if (dialog->mResult == -1)
        dialog->mResult = 0;
    dialogList.remove(dialog);
    dialogMap.erase(it);
    if (removeWidget || deleteWidget)
        widgetManager->RemoveWidget(dialog);
    if (dialog->IsModal()) {
        ModalClose();
        widgetManager->RemoveBaseModal(dialog);
    }
    if (deleteWidget)
        SafeDeleteWidget(dialog);
    return true;
}

bool KivoAppBase::GetFullScreenSize(int* width, int* height)
{
    if (!ddInterface || ddInterface->mDisplayWidth <= 0 || ddInterface->mDisplayHeight <= 0)
        return false;
    *width = ddInterface->mDisplayWidth;
    *height = ddInterface->mDisplayHeight;
    return true;
}

int KivoAppBase::GetDialogCount()
{
    return int(dialogMap.size());
}

// Message boxes.

int KivoAppBase::MsgBox(const std::string& text, const std::string& caption, unsigned flags)
{
    if (screensaverMode) {
        LogScreenSaverError(text);
        return IDOK;
    }
    BeginPopup();
    const int answer = MessageBoxA(hwnd, text.c_str(), caption.c_str(), flags);
    EndPopup();
    return answer;
}

int KivoAppBase::MsgBoxW(const std::wstring& text, const std::wstring& caption, unsigned flags)
{
    return MsgBox(Narrow(text), Narrow(caption), flags);
}

void KivoAppBase::Popup(const std::string& text)
{
    if (screensaverMode) {
        LogScreenSaverError(text);
        return;
    }
    BeginPopup();
    if (!shutdown)
        MessageBoxA(hwnd, text.c_str(), GetString("FATAL_ERROR", "FATAL ERROR").c_str(), MB_ICONERROR);
    EndPopup();
}

void KivoAppBase::PopupW(const std::wstring& text)
{
    Popup(Narrow(text));
}

void KivoAppBase::LogScreenSaverError(const std::string& text)
{
    FILE* f = std::fopen(platform::DiskPath("ScrError.txt").c_str(), gFirstScreenSaverError ? "w" : "a+");
    if (!f)
        return;
    gFirstScreenSaverError = false;
    char timeText[16] = "00:00:00";
    std::time_t now = std::time(nullptr);
    if (std::tm* local = std::localtime(&now))
        std::strftime(timeText, sizeof timeText, "%H:%M:%S", local);
    std::fprintf(f, "%s %s %u\n", text.c_str(), timeText, unsigned(GetTickCount()));
    std::fclose(f);
}

// Clipboard.

void KivoAppBase::CopyToClipboard(const std::string& text)
{
    if (demoPlaying || !OpenClipboard(hwnd))
        return;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1);
    std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
}

std::string KivoAppBase::GetClipboard()
{
    std::string text;
    if (!demoPlaying && OpenClipboard(hwnd)) {
        if (HANDLE data = GetClipboardData(CF_TEXT)) {
            text = static_cast<const char*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    DemoSyncString(text);
    return text;
}

// Web pages.

bool KivoAppBase::OpenURL(const std::string& url, bool shutdownOnOpen)
{
    if (openURLPending && pendingURL == url)
        return true;
    shutdownOnURLOpen = shutdownOnOpen;
    openURLPending = true;
    pendingURL = url;
    urlOpenTime = GetTickCount();
    if (reinterpret_cast<uintptr_t>(ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32)
        return true;
    OpenURLFailed(url);
    return false;
}

void KivoAppBase::OpenURLFailed(const std::string&)
{
    openURLPending = false;
}

void KivoAppBase::OpenURLSucceeded(const std::string&)
{
    openURLPending = false;
    if (shutdownOnURLOpen)
        Shutdown();
}

// The product version from the file's version resource.

std::string KivoAppBase::GetProductVersion(const std::string& path)
{
    using SizeFunc = DWORD (*)(LPCSTR, DWORD*);
    using InfoFunc = BOOL (*)(LPCSTR, DWORD, DWORD, LPVOID);
    using QueryFunc = BOOL (*)(LPCVOID, LPCSTR, LPVOID*, UINT*);
    static SizeFunc getSize = nullptr;
    static InfoFunc getInfo = nullptr;
    static QueryFunc query = nullptr;
    static bool looked = false;
    if (!looked && gVersionDll) {
        looked = true;
        getSize = reinterpret_cast<SizeFunc>(GetProcAddress(gVersionDll, "GetFileVersionInfoSizeA"));
        getInfo = reinterpret_cast<InfoFunc>(GetProcAddress(gVersionDll, "GetFileVersionInfoA"));
        query = reinterpret_cast<QueryFunc>(GetProcAddress(gVersionDll, "VerQueryValueA"));
    }
    if (!getSize || !getInfo || !query)
        return std::string();
    DWORD handle = 0;
    const DWORD size = getSize(path.c_str(), &handle);
    if (size == 0)
        return std::string();
    std::vector<char> block(size);
    if (!getInfo(path.c_str(), handle, size, block.data()))
        return std::string();
    void* value = nullptr;
    UINT length = 0;
    if (!query(block.data(), "\\StringFileInfo\\040904B0\\ProductVersion", &value, &length) &&
        !query(block.data(), "\\StringFileInfo\\040904E4\\ProductVersion", &value, &length))
        return std::string();
    if (!value || length == 0)
        return std::string();
    const char* text = static_cast<const char*>(value);
    return std::string(text, strnlen(text, length));
}

// Images made for the application.

Image* KivoAppBase::GetImage(const std::string& path, bool commitBits, uint32_t alphaColor)
{
    std::unique_ptr<ImageLib::Image> loaded(ImageLib::GetImage(path, true, alphaColor));
    if (!loaded)
        return nullptr;
    MemoryImage* image = ddInterface ? ddInterface->NewImage() : new MemoryImage();
    image->mFilePath = path;
    image->TakeBits(loaded->mBits, loaded->mWidth, loaded->mHeight, commitBits);
    loaded->mBits = nullptr;
    return image;
}

SharedImageRef KivoAppBase::GetSharedImage(const std::string& name, const std::string& variant, bool* created)
{
    return GetSharedImage(name, variant, created, 0xFFFFFF);
}

SharedImageRef KivoAppBase::GetSharedImage(const std::string& name, const std::string& variant, bool* created,
                                           uint32_t alphaColor)
{
    const std::string upperName = StringToUpper(name);
    const std::string upperVariant = StringToUpper(variant);
    // A file is decoded outside the display lock, so that frames go on being
    // drawn and several threads decode at once; a second caller asking for
    // the same name meanwhile waits for the decode and never sees the entry
    // empty. The decoder hands its image over without the lock, which the
    // waiter may hold more than once (drawing under the display lock).
    std::unique_lock lock(ddInterface ? ddInterface->mCritSect : sharedImageLock);
    auto [it, inserted] = sharedImageMap.try_emplace({ upperName, upperVariant });
    SharedImage* entry = &it->second;
    SharedImageRef ref(entry);
    if (created)
        *created = inserted;
    // The decoder or a waiter, whichever comes first, fills the entry.
    auto fill = [this, entry](Image* image) {
        if (sharedImagesDecoding.erase(entry))
            entry->mImage = image;
    };
    if (!inserted) {
        const auto decoding = sharedImagesDecoding.find(entry);
        if (decoding != sharedImagesDecoding.end()) {
            const std::shared_future<Image*> image = decoding->second;
            lock.unlock();
            image.wait();
            lock.lock();
            fill(image.get());
        }
    } else if (!name.empty() && name[0] == '!') {
        entry->mImage = ddInterface ? ddInterface->NewImage() : new MemoryImage();
    } else {
        std::promise<Image*> decoded;
        sharedImagesDecoding.emplace(entry, decoded.get_future().share());
        lock.unlock();
        Image* image = GetImage(name, false, alphaColor);
        decoded.set_value(image);
        lock.lock();
        fill(image);
    }
    return ref;
}

} // namespace Kivo
