#include "framework/widgets/WidgetContainer.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <cassert>

namespace Kivo {

namespace {

// Applies a node's flag modifier to both flag sets of a walk for the
// node's own part of it; isOver keeps what the walk set.
class AppliedFlagsMod {
public:
    AppliedFlagsMod(ModalFlags* flags, const FlagsMod& mod)
        : mFlags(flags), mOver(flags->mOverFlags), mUnder(flags->mUnderFlags)
    {
        flags->mOverFlags = mod.Apply(flags->mOverFlags);
        flags->mUnderFlags = mod.Apply(flags->mUnderFlags);
    }
    ~AppliedFlagsMod()
    {
        mFlags->mOverFlags = mOver;
        mFlags->mUnderFlags = mUnder;
    }
    AppliedFlagsMod(const AppliedFlagsMod&) = delete;
    AppliedFlagsMod& operator=(const AppliedFlagsMod&) = delete;

private:
    ModalFlags* mFlags;
    int mOver;
    int mUnder;
};

class WalkScope {
public:
    explicit WalkScope(int& depth) : mDepth(depth) { ++mDepth; }
    ~WalkScope() { --mDepth; }
    WalkScope(const WalkScope&) = delete;
    WalkScope& operator=(const WalkScope&) = delete;

private:
    int& mDepth;
};

bool Overlap(const Rect& a, const Rect& b)
{
    return a.mX < b.mX + b.mWidth && b.mX < a.mX + a.mWidth && a.mY < b.mY + b.mHeight &&
           b.mY < a.mY + a.mHeight;
}

} // namespace

WidgetContainer::~WidgetContainer()
{
    assert(mWalking == 0 && "a widget is deleted inside its own update or draw: use SafeDeleteWidget");
    assert((!mManager || mManager == this) && "a widget is deleted while it is in the widget tree");
}

Rect WidgetContainer::GetRect() { return Rect(mX, mY, mWidth, mHeight); }

bool WidgetContainer::Intersects(WidgetContainer* other) { return Overlap(GetRect(), other->GetRect()); }

void WidgetContainer::InsertByZOrder(Widget* widget, WidgetList::iterator hint)
{
    const int z = widget->mZOrder;
    auto it = hint;
    while (it != mChildren.end() && (*it)->mZOrder < z)
        ++it;
    if (it != mChildren.end() && (it == mChildren.begin() || (*it)->mZOrder == z)) {
        mChildren.insert(it, widget);
        return;
    }
    while (it != mChildren.begin()) {
        auto prev = std::prev(it);
        if ((*prev)->mZOrder <= z)
            break;
        it = prev;
    }
    mChildren.insert(it, widget);
}

void WidgetContainer::EraseChild(WidgetList::iterator it)
{
    for (WalkCursor* cursor = mWalkCursors; cursor; cursor = cursor->mOuter)
        if (cursor->mNext == it)
            ++cursor->mNext;
    mChildren.erase(it);
}

bool WidgetContainer::TakeChild(Widget* child)
{
    auto it = std::find(mChildren.begin(), mChildren.end(), child);
    if (it == mChildren.end())
        return false;
    EraseChild(it);
    return true;
}

void WidgetContainer::AddWidget(Widget* widget)
{
    if (!widget || HasWidget(widget))
        return;
    InsertByZOrder(widget, mChildren.end());
    widget->mManager = mManager;
    widget->mParent = this;
    if (mManager) {
        widget->AddedToManager(mManager);
        widget->MarkDirtyFull();
        mManager->RefreshMouseOver();
    }
    MarkDirty();
}

void WidgetContainer::DetachWidget(Widget* widget)
{
    WidgetManager* manager = widget->mManager;
    if (!manager)
        return;
    widget->ForEachChild([&](Widget* child) { widget->DetachWidget(child); });
    manager->DisableWidget(widget);
    manager->ForgetWidget(widget);
    widget->RemovedFromManager(manager);
    widget->MarkDirtyFullChild(widget);
    widget->mManager = nullptr;
}

void WidgetContainer::RemoveWidget(Widget* widget)
{
    if (!HasWidget(widget))
        return;
    DetachWidget(widget);
    widget->mParent = nullptr;
    TakeChild(widget);
}

bool WidgetContainer::HasWidget(Widget* widget)
{
    return std::find(mChildren.begin(), mChildren.end(), widget) != mChildren.end();
}

void WidgetContainer::DisableWidget(Widget*) {}

void WidgetContainer::RemoveAllWidgets(bool doDelete, bool recursive)
{
    while (!mChildren.empty()) {
        Widget* child = mChildren.front();
        RemoveWidget(child);
        if (recursive)
            child->RemoveAllWidgets(doDelete, recursive);
        if (doDelete)
            delete child;
    }
}

void WidgetContainer::SetFocus(Widget*) {}

// 1: a met first, -1: b met first, 0: neither in this subtree.
int WidgetContainer::FindBelow(Widget* a, Widget* b)
{
    for (Widget* child : mChildren) {
        if (child == a)
            return 1;
        if (child == b)
            return -1;
        if (int found = child->FindBelow(a, b))
            return found;
    }
    return 0;
}

bool WidgetContainer::IsBelow(Widget* a, Widget* b) { return FindBelow(a, b) == 1; }

void WidgetContainer::MarkAllDirty()
{
    MarkDirty();
    for (Widget* child : mChildren) {
        child->mDirty = true;
        child->MarkAllDirty();
    }
}

void WidgetContainer::BringToFront(Widget* child)
{
    if (!TakeChild(child))
        return;
    InsertByZOrder(child, mChildren.end());
    child->ZOrderChanged();
}

void WidgetContainer::BringToBack(Widget* child)
{
    if (!TakeChild(child))
        return;
    InsertByZOrder(child, mChildren.begin());
    child->ZOrderChanged();
}

void WidgetContainer::PutBehind(Widget* child, Widget* reference)
{
    if (!TakeChild(child))
        return;
    InsertByZOrder(child, std::find(mChildren.begin(), mChildren.end(), reference));
    child->ZOrderChanged();
}

void WidgetContainer::PutInFront(Widget* child, Widget* reference)
{
    if (!TakeChild(child))
        return;
    auto it = std::find(mChildren.begin(), mChildren.end(), reference);
    if (it != mChildren.end())
        ++it;
    InsertByZOrder(child, it);
    child->ZOrderChanged();
}

Point WidgetContainer::GetAbsPos()
{
    Point p{mX, mY};
    if (mParent) {
        Point parent = mParent->GetAbsPos();
        p.mX += parent.mX;
        p.mY += parent.mY;
    }
    return p;
}

void WidgetContainer::MarkDirtyChild(Widget* child)
{
    if (child->mDirty)
        return;
    MarkDirty();
    child->mDirty = true;
    if (mParent)
        return;
    if (child->mHasAlpha) {
        MarkDirtyFullChild(child);
        return;
    }
    auto it = std::find(mChildren.begin(), mChildren.end(), child);
    if (it == mChildren.end())
        return;
    for (++it; it != mChildren.end(); ++it) {
        Widget* w = *it;
        if (w->mVisible && w->Intersects(child))
            MarkDirtyChild(w);
    }
}

void WidgetContainer::MarkDirty()
{
    if (mParent)
        mParent->MarkDirtyChild(static_cast<Widget*>(this));
    else
        mDirty = true;
}

void WidgetContainer::MarkDirtyFullChild(Widget* child)
{
    MarkDirtyFull();
    child->mDirty = true;
    if (mParent)
        return;
    auto at = std::find(mChildren.begin(), mChildren.end(), child);
    if (at == mChildren.end())
        return;

    // Everything below the child that shows through its area, down to an
    // opaque widget covering that area.
    const Rect area = child->GetRect().Intersection(GetRect());
    for (auto it = at; it != mChildren.begin();) {
        Widget* w = *--it;
        if (!w->mVisible)
            continue;
        if (!w->mHasTransparencies && !w->mHasAlpha && w->Contains(area.mX, area.mY) &&
            w->Contains(area.mX + area.mWidth - 1, area.mY + area.mHeight - 1)) {
            w->MarkDirty();
            break;
        }
        if (w->Intersects(child))
            MarkDirtyChild(w);
    }
    for (auto it = at; it != mChildren.end(); ++it) {
        Widget* w = *it;
        if (w->mVisible && w->Intersects(child))
            MarkDirtyChild(w);
    }
}

void WidgetContainer::MarkDirtyFull()
{
    if (mParent)
        mParent->MarkDirtyFullChild(static_cast<Widget*>(this));
    else
        mDirty = true;
}

void WidgetContainer::AddedToManager(WidgetManager* manager)
{
    for (Widget* child : mChildren) {
        child->mManager = manager;
        child->AddedToManager(manager);
    }
    MarkDirty();
}

void WidgetContainer::RemovedFromManager(WidgetManager* manager)
{
    // Detaching has already told the children that were in the tree.
    for (Widget* child : mChildren) {
        if (!child->mManager)
            continue;
        manager->DisableWidget(child);
        child->RemovedFromManager(manager);
        child->mManager = nullptr;
    }
    if (manager->mPopupWidget == this)
        manager->mPopupWidget = nullptr;
}

void WidgetContainer::Update() { ++mUpdateCount; }

void WidgetContainer::UpdateAll(ModalFlags* flags)
{
    WalkScope walking(mWalking);
    AppliedFlagsMod applied(flags, mWidgetFlagsMod);
    if (flags->GetFlags() & WIDGETFLAGS_MARK_DIRTY)
        MarkDirty();
    if (!mManager)
        return;
    if ((flags->GetFlags() & WIDGETFLAGS_UPDATE) && mLastUpdateCount != mManager->mUpdateCount) {
        mLastUpdateCount = mManager->mUpdateCount;
        Update();
        // Removed from the tree by its own update: its children are detached.
        if (!mManager)
            return;
    }
    ForEachChild([&](Widget* child) {
        if (mManager && child == mManager->mBaseModalWidget)
            flags->mIsOver = true;
        child->UpdateAll(flags);
    });
}

void WidgetContainer::UpdateF(float) {}

void WidgetContainer::UpdateFAll(ModalFlags* flags, float fraction)
{
    WalkScope walking(mWalking);
    AppliedFlagsMod applied(flags, mWidgetFlagsMod);
    if (!mManager)
        return;
    if (flags->GetFlags() & WIDGETFLAGS_UPDATE) {
        UpdateF(fraction);
        if (!mManager)
            return;
    }
    ForEachChild([&](Widget* child) {
        if (mManager && child == mManager->mBaseModalWidget)
            flags->mIsOver = true;
        child->UpdateFAll(flags, fraction);
    });
}

void WidgetContainer::Draw(Graphics*) {}

void WidgetContainer::DrawAll(ModalFlags* flags, Graphics* g)
{
    WalkScope walking(mWalking);
    if (mManager && mPriority > mManager->mLowestPendingPriority)
        mManager->FlushDeferredOverlays(mPriority);
    AppliedFlagsMod applied(flags, mWidgetFlagsMod);
    const int f = flags->GetFlags();
    if (mClip && (f & WIDGETFLAGS_CLIP))
        g->ClipRect(0, 0, mWidth, mHeight);
    if (mChildren.empty()) {
        if (f & WIDGETFLAGS_DRAW)
            Draw(g);
        return;
    }
    if (f & WIDGETFLAGS_DRAW) {
        g->PushState();
        Draw(g);
        g->PopState();
    }
    ForEachChild([&](Widget* child) {
        if (!child->mVisible)
            return;
        if (mManager && child == mManager->mBaseModalWidget)
            flags->mIsOver = true;
        Graphics copy(*g);
        copy.Translate(child->mX, child->mY);
        child->DrawAll(flags, &copy);
        child->mDirty = false;
    });
}

void WidgetContainer::SysColorChangedAll()
{
    SysColorChanged();
    for (Widget* child : mChildren)
        child->SysColorChangedAll();
}

void WidgetContainer::SysColorChanged() {}

} // namespace Kivo
