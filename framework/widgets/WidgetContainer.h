#pragma once
// A node of the widget tree: children in z-order, a rectangle, a dirty flag,
// update bookkeeping and a modifier of the walk flags. The widget manager is
// the root; Widget adds input, focus and drawing helpers.
#include "framework/graphics/Image.h"
#include "framework/graphics/Rect.h"

#include <cstdint>
#include <list>

namespace Kivo {

class Graphics;
class Widget;
class WidgetManager;

// Bits of the flags handed down the update, draw and hit-test walks.
enum WidgetFlags {
    WIDGETFLAGS_UPDATE = 1,
    WIDGETFLAGS_MARK_DIRTY = 2,
    WIDGETFLAGS_DRAW = 4,
    WIDGETFLAGS_CLIP = 8,
    WIDGETFLAGS_ALLOW_MOUSE = 16,
    WIDGETFLAGS_ALLOW_FOCUS = 32,
};

struct FlagsMod {
    int mAddFlags = 0;
    int mRemoveFlags = 0;

    int Apply(int flags) const { return (flags | mAddFlags) & ~mRemoveFlags; }
};

// The flags of a walk: over the base-modal widget (it, everything after it
// and its descendants) and under it (everything before).
struct ModalFlags {
    int mOverFlags = 0;
    int mUnderFlags = 0;
    bool mIsOver = false;

    int GetFlags() const { return mIsOver ? mOverFlags : mUnderFlags; }
};

using WidgetList = std::list<Widget*>;

class WidgetContainer {
public:
    WidgetContainer() = default;
    WidgetContainer(const WidgetContainer&) = delete;
    WidgetContainer& operator=(const WidgetContainer&) = delete;
    // Frees the child list, not the children. Owners remove a widget from
    // its container before deleting it, and never delete it inside its own
    // update or draw (SafeDeleteWidget waits until the pass has ended).
    virtual ~WidgetContainer();

    virtual Rect GetRect();
    // The rectangles overlap; touching edges do not count.
    virtual bool Intersects(WidgetContainer* other);
    virtual void AddWidget(Widget* widget);
    virtual void RemoveWidget(Widget* widget);
    virtual bool HasWidget(Widget* widget);
    virtual void DisableWidget(Widget* widget);
    virtual void RemoveAllWidgets(bool doDelete = false, bool recursive = false);
    virtual void SetFocus(Widget* widget);
    // a comes before b in a depth-first walk of this subtree in list order.
    virtual bool IsBelow(Widget* a, Widget* b);
    virtual void MarkAllDirty();
    virtual void BringToFront(Widget* child);
    virtual void BringToBack(Widget* child);
    virtual void PutBehind(Widget* child, Widget* reference);
    virtual void PutInFront(Widget* child, Widget* reference);
    virtual Point GetAbsPos();
    virtual void MarkDirtyChild(Widget* child);
    virtual void MarkDirty();
    virtual void MarkDirtyFullChild(Widget* child);
    virtual void MarkDirtyFull();
    virtual void AddedToManager(WidgetManager* manager);
    virtual void RemovedFromManager(WidgetManager* manager);
    virtual void Update();
    virtual void UpdateAll(ModalFlags* flags);
    virtual void UpdateF(float fraction);
    virtual void UpdateFAll(ModalFlags* flags, float fraction);
    virtual void Draw(Graphics* g);
    virtual void DrawAll(ModalFlags* flags, Graphics* g);
    virtual void SysColorChangedAll();
    virtual void SysColorChanged();

    const WidgetList& GetChildren() const { return mChildren; }

    WidgetList mChildren; // ascending z-order: draw and update order
    WidgetManager* mManager = nullptr;
    WidgetContainer* mParent = nullptr;
    uint32_t mLastUpdateCount = 0;
    uint32_t mUpdateCount = 0;
    bool mDirty = false;
    int32_t mX = 0;
    int32_t mY = 0;
    int32_t mWidth = 0;
    int32_t mHeight = 0;
    bool mHasAlpha = false; // does not cover its rectangle completely
    bool mClip = true;
    FlagsMod mWidgetFlagsMod;
    int32_t mPriority = 0;
    int32_t mZOrder = 0;

protected:
    // Visits the children in list order. The walk survives any change of
    // the list made by the visited widgets (removal, z-order changes, nested
    // walks of a modal loop): a removed child is never visited afterwards.
    template <class F>
    void ForEachChild(F&& visit);

private:
    struct WalkCursor {
        WidgetList::iterator mNext;
        WalkCursor* mOuter;
    };

    void InsertByZOrder(Widget* widget, WidgetList::iterator hint);
    // Erases the child, moving every running walk past it.
    void EraseChild(WidgetList::iterator it);
    bool TakeChild(Widget* child);
    void DetachWidget(Widget* widget);
    int FindBelow(Widget* a, Widget* b);

    WalkCursor* mWalkCursors = nullptr;
    int mWalking = 0; // inside this node's own update or draw walk
};

template <class F>
void WidgetContainer::ForEachChild(F&& visit)
{
    WalkCursor cursor{mChildren.begin(), mWalkCursors};
    mWalkCursors = &cursor;
    while (cursor.mNext != mChildren.end()) {
        Widget* child = *cursor.mNext;
        ++cursor.mNext;
        visit(child);
    }
    mWalkCursors = cursor.mOuter;
}

} // namespace Kivo
