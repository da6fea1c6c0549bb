#include "game/ui/CustomCursor.h"

#include "framework/widgets/WidgetHost.h"
#include "framework/widgets/WidgetManager.h"
#include "game/ui/CursorBonusBomb.h"
#include "game/ui/CursorBonusMagnet.h"
#include "game/ui/CursorBonusRow.h"
#include "game/ui/CursorPointer.h"

CustomCursor::CustomCursor()
{
    mWidgetFlagsMod.mAddFlags |= Kivo::WIDGETFLAGS_MARK_DIRTY;
    mClip = false;
}

void CustomCursor::SetCursor(BaseCursor* cursor)
{
    mCursor = cursor;
    if (cursor)
        cursor->Reset();
}

void CustomCursor::Update()
{
    Widget::Update();
    // Stays the last child, above every widget of its z-order.
    if (Kivo::WidgetHost* app = Kivo::GetWidgetHost())
        if (Kivo::WidgetManager* manager = app->GetWidgetManager())
            manager->BringToFront(this);
    if (mCursor)
        mCursor->Update();
}

void CustomCursor::Draw(Kivo::Graphics*)
{
    if (mManager)
        mManager->QueueOverlay(this, Kivo::OVERLAY_CURSOR);
}

void CustomCursor::DrawOverlay(Kivo::Graphics* g)
{
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    if (mCursor && app && app->IsMouseInWindow())
        mCursor->Draw(g);
}

CustomCursor* GetCustomCursor() { return CustomCursor::Instance(); }

namespace {

// The cursors by kind: made on first use, or only when they exist.
struct CursorKind {
    BaseCursor* (*mInstance)();
    BaseCursor* (*mExisting)();
};

template <class T>
constexpr CursorKind kKindOf{[]() -> BaseCursor* { return T::Instance(); }, []() -> BaseCursor* { return T::Existing(); }};

constexpr CursorKind kKinds[] = {kKindOf<CursorPointer>, kKindOf<CursorBonusBomb>, kKindOf<CursorBonusRow>,
                                 kKindOf<CursorBonusMagnet>};
constexpr int kNumKinds = sizeof kKinds / sizeof kKinds[0];

} // namespace

void SetCursorKind(int kind)
{
    if (kind == -1)
        GetCustomCursor()->SetCursor(nullptr);
    else if (kind >= 0 && kind < kNumKinds)
        GetCustomCursor()->SetCursor(kKinds[kind].mInstance());
}

int GetCursorKind()
{
    const BaseCursor* cursor = GetCustomCursor()->mCursor;
    for (int kind = 0; cursor && kind < kNumKinds; ++kind)
        if (cursor == kKinds[kind].mExisting())
            return kind;
    return 0;
}

void FreeCursors()
{
    // The custom cursor must not keep drawing a deleted cursor.
    if (CustomCursor* custom = CustomCursor::Existing())
        custom->SetCursor(nullptr);
    for (const CursorKind& kind : kKinds)
        delete kind.mExisting();
}
