#include "framework/app/DemoDialogs.h"

#include "framework/app/KivoAppBase.h"
#include "framework/core/Strings.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/EditWidget.h"
#include "platform/win32/Registry.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace Kivo {
namespace {

constexpr const char* kJumpTimeValue = "DemoJumpTime";

// The program's key under HKEY_CURRENT_USER, read and written here without
// the demo: a playing demo must not hand its recorded values to its own
// playback window, nor lose its place in the stream to it.
std::string ProgramKey(const KivoAppBase& app)
{
    std::string key = "SOFTWARE\\" + app.registryKey;
    if (key.back() == '\\' || key.back() == '/')
        key.pop_back();
    return key;
}

std::string ReadJumpTime(const KivoAppBase& app)
{
    HKEY key = nullptr;
    if (app.registryKey.empty() || RegOpenKeyExA(HKEY_CURRENT_USER, ProgramKey(app).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::string();
    char text[256] = {};
    DWORD size = sizeof text - 1;
    DWORD type = 0;
    const bool read = RegQueryValueExA(key, kJumpTimeValue, nullptr, &type, reinterpret_cast<BYTE*>(text), &size)
            == ERROR_SUCCESS
        && type == REG_SZ;
    RegCloseKey(key);
    if (!read)
        return std::string();
    return std::string(text, strnlen(text, std::min<size_t>(size, sizeof text - 1)));
}

void WriteJumpTime(const KivoAppBase& app, const std::string& value)
{
    if (app.registryKey.empty())
        return;
    HKEY key = nullptr;
    DWORD disposition = 0;
    char keyClass[] = "Key";
    if (RegCreateKeyExA(HKEY_CURRENT_USER, ProgramKey(app).c_str(), 0, keyClass, REG_OPTION_NON_VOLATILE,
            KEY_ALL_ACCESS, nullptr, &key, &disposition)
        != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, kJumpTimeValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
        DWORD(value.size() + 1));
    RegCloseKey(key);
}

void Centre(Dialog& dialog, KivoAppBase& app, int width, int height)
{
    dialog.Resize((app.width - width) / 2, (app.height - height) / 2, width, height);
}

} // namespace

LineListWidget::LineListWidget(Font* font)
    : mFont(font)
{
}

LineListWidget::~LineListWidget() = default;

int LineListWidget::LineHeight()
{
    return std::max(mFont ? mFont->GetLineSpacing() : 16, 1);
}

int LineListWidget::LineAt(int y)
{
    const int line = mTopLine + y / LineHeight();
    return y >= 0 && line < int(mLines.size()) ? line : -1;
}

int LineListWidget::VisibleLines()
{
    return std::max((mHeight - 2) / LineHeight(), 1);
}

int LineListWidget::MaxTopLine()
{
    return std::max(int(mLines.size()) - VisibleLines(), 0);
}

void LineListWidget::ScrollTo(int topLine)
{
    mTopLine = std::clamp(topLine, 0, MaxTopLine());
    MarkDirty();
}

void LineListWidget::GetThumb(int& top, int& height)
{
    top = height = 0;
    const int lines = int(mLines.size());
    const int track = mHeight - 2;
    if (lines <= VisibleLines() || track <= 0)
        return;
    height = std::clamp(track * VisibleLines() / lines, std::min(kBarWidth, track), track);
    top = 1 + (track - height) * mTopLine / MaxTopLine();
}

void LineListWidget::Draw(Graphics* g)
{
    g->SetColorRGBA(255, 255, 255, 255);
    g->FillRect(0, 0, mWidth, mHeight);
    int thumbTop, thumbHeight;
    GetThumb(thumbTop, thumbHeight);
    const int textWidth = thumbHeight ? mWidth - kBarWidth : mWidth;
    if (mFont) {
        g->PushState();
        g->ClipRect(0, 0, textWidth, mHeight);
        g->SetFont(mFont);
        const int h = LineHeight();
        for (int i = mTopLine, y = 0; i < int(mLines.size()) && y < mHeight; ++i, y += h) {
            if (i == mSelected) {
                g->SetColorRGBA(0, 0, 128, 255);
                g->FillRect(1, y + 1, textWidth - 2, h);
                g->SetColorRGBA(255, 255, 255, 255);
            } else {
                g->SetColorRGBA(0, 0, 0, 255);
            }
            g->DrawString(mLines[size_t(i)].text, 4, y + 1 + mFont->GetAscent());
        }
        g->PopState();
    }
    if (thumbHeight) {
        g->SetColorRGBA(224, 224, 224, 255);
        g->FillRect(textWidth, 0, kBarWidth, mHeight);
        g->SetColorRGBA(128, 128, 128, 255);
        g->FillRect(textWidth + 2, thumbTop, kBarWidth - 4, thumbHeight);
    }
    g->SetColorRGBA(0, 0, 0, 255);
    g->DrawRect(0, 0, mWidth - 1, mHeight - 1);
}

void LineListWidget::MouseDownButton(int x, int y, int button, int clickCount)
{
    if (button != MOUSEBUTTON_LEFT)
        return;
    int thumbTop, thumbHeight;
    GetThumb(thumbTop, thumbHeight);
    if (thumbHeight && x >= mWidth - kBarWidth) {
        if (y < thumbTop)
            ScrollTo(mTopLine - VisibleLines());
        else if (y >= thumbTop + thumbHeight)
            ScrollTo(mTopLine + VisibleLines());
        else
            mThumbGrip = y - thumbTop;
        return;
    }
    const int line = LineAt(y);
    if (line < 0)
        return;
    mSelected = line;
    MarkDirty();
    if (clickCount == 2 && mOnActivate)
        mOnActivate(mOwner, mLines[size_t(line)]);
}

void LineListWidget::MouseUpButton(int, int, int, int)
{
    mThumbGrip = -1;
}

void LineListWidget::MouseDrag(int, int y)
{
    int thumbTop, thumbHeight;
    GetThumb(thumbTop, thumbHeight);
    const int travel = mHeight - 2 - thumbHeight;
    if (mThumbGrip < 0 || !thumbHeight || travel <= 0)
        return;
    // The top line whose thumb lies nearest the pointer's place.
    const int top = y - mThumbGrip - 1;
    ScrollTo((top * MaxTopLine() + travel / 2) / travel);
}

void LineListWidget::MouseWheel(int delta)
{
    ScrollTo(mTopLine - delta);
}

DemoMarkerDialog::DemoMarkerDialog(KivoAppBase& app)
    : Dialog(nullptr, nullptr, kDialogId, true, "Marker List", "", "", BUTTONS_NONE)
    , mList(nullptr)
    , mApp(app)
{
    mDialogListener = nullptr;
    mHeaderFont = new SysFont("Tahoma", 8);
    mContentInsets = Insets { 10, 10, 10, 10 };
    mList = new LineListWidget(mHeaderFont);
    mList->mOwner = this;
    mList->mOnActivate = &DemoMarkerDialog::Activate;
    for (const DemoMarker& marker : app.demoMarkers) {
        if (marker.update <= app.updateCount)
            continue;
        const int64_t seconds = int64_t(app.demoEndUpdate - marker.update) * app.updateStepMs / 1000;
        mList->mLines.push_back({ StrFormat("%s (%02d:%02d:%02d)", marker.name.c_str(), int(seconds / 3600),
                                      int(seconds / 60 % 60), int(seconds % 60)),
            marker.update });
    }
    AddWidget(mList);
    Centre(*this, app, 300, 320);
}

DemoMarkerDialog::~DemoMarkerDialog()
{
    RemoveWidget(mList);
    delete mList;
}

void DemoMarkerDialog::Resize(int x, int y, int width, int height)
{
    Dialog::Resize(x, y, width, height);
    if (mList)
        mList->Resize(10, 36, width - 20, height - 46);
}

void DemoMarkerDialog::Activate(void* owner, const LineListWidget::Line& line)
{
    KivoAppBase& app = static_cast<DemoMarkerDialog*>(owner)->mApp;
    if (line.data > app.updateCount)
        app.ffTargetUpdate = line.data;
    app.CloseDemoDialog();
}

DemoJumpDialog::DemoJumpDialog(KivoAppBase& app)
    : Dialog(nullptr, nullptr, kDialogId, true, "Jump To Time", "", "", BUTTONS_OK_CANCEL)
    , mEdit(new EditWidget(100, this))
    , mApp(app)
{
    mDialogListener = nullptr;
    mHeaderFont = new SysFont("Tahoma", 8);
    mYesButton->mLabel = "Ok";
    mNoButton->mLabel = "Cancel";
    mEdit->SetFont(mHeaderFont);
    mEdit->SetText(ReadJumpTime(app));
    AddWidget(mEdit);
    Centre(*this, app, 240, 130);
}

DemoJumpDialog::~DemoJumpDialog()
{
    RemoveWidget(mEdit);
    delete mEdit;
}

void DemoJumpDialog::Resize(int x, int y, int width, int height)
{
    Dialog::Resize(x, y, width, height);
    mEdit->Resize(24, 40, width - 48, 24);
}

void DemoJumpDialog::Update()
{
    Dialog::Update();
    mEdit->Update();
}

int64_t DemoJumpDialog::ParseTime(const std::string& text)
{
    // Held well inside the update counter's range whatever is typed.
    constexpr int64_t kLimit = int64_t(1) << 40;
    int64_t total = 0;
    size_t start = 0;
    for (;;) {
        const size_t colon = text.find(':', start);
        const std::string field = text.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        const int64_t value = std::clamp<int64_t>(std::strtoll(field.c_str(), nullptr, 10), -kLimit, kLimit);
        total = std::clamp<int64_t>(total * 60 + value, -kLimit, kLimit);
        if (colon == std::string::npos)
            return total;
        start = colon + 1;
    }
}

void DemoJumpDialog::ButtonDepress(int id)
{
    Dialog::ButtonDepress(id);
    if (id == ID_YES) {
        WriteJumpTime(mApp, mEdit->mString);
        const int64_t seconds = ParseTime(mEdit->mString);
        const int64_t target = int64_t(mApp.demoEndUpdate) - (seconds + 1) * 1000 / std::max(mApp.updateStepMs, 1);
        mApp.ffTargetUpdate = int(std::clamp<int64_t>(target, INT32_MIN, INT32_MAX));
    }
    if (id == ID_YES || id == ID_NO)
        mApp.CloseDemoDialog();
}

void DemoJumpDialog::EditWidgetText(int id, const std::string& text)
{
    (void)id, (void)text;
    ButtonDepress(ID_YES);
}

} // namespace Kivo
