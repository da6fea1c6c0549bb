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

void SetCursorKind(int kind)
{
    switch (kind) {
    case -1:
        GetCustomCursor()->SetCursor(nullptr);
        break;
    case 0:
        GetCustomCursor()->SetCursor(CursorPointer::Instance());
        break;
    case 1:
        GetCustomCursor()->SetCursor(CursorBonusBomb::Instance());
        break;
    case 2:
        GetCustomCursor()->SetCursor(CursorBonusRow::Instance());
        break;
    case 3:
        GetCustomCursor()->SetCursor(CursorBonusMagnet::Instance());
        break;
    default:
        break;
    }
}

int GetCursorKind()
{
    const BaseCursor* cursor = GetCustomCursor()->mCursor;
    if (!cursor || cursor == CursorPointer::Existing())
        return 0;
    if (cursor == CursorBonusBomb::Existing())
        return 1;
    if (cursor == CursorBonusRow::Existing())
        return 2;
    if (cursor == CursorBonusMagnet::Existing())
        return 3;
    return 0;
}

void FreeCursors()
{
    // The custom cursor must not keep drawing a deleted cursor.
    if (CustomCursor* custom = CustomCursor::Existing())
        custom->SetCursor(nullptr);
    delete CursorPointer::Existing();
    delete CursorBonusBomb::Existing();
    delete CursorBonusRow::Existing();
    delete CursorBonusMagnet::Existing();
}
