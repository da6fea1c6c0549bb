#pragma once
// A widget that appends every call the widget manager and the walks make on
// it to a shared log ("A.Down 5,5,1"), and runs an optional action inside
// its own update.
#include "framework/widgets/Widget.h"

#include <functional>
#include <string>
#include <vector>

using CallLog = std::vector<std::string>;

class LogWidget : public Kivo::Widget {
public:
    LogWidget(std::string name, CallLog* log, int x = 0, int y = 0, int width = 0, int height = 0)
        : mName(std::move(name)), mLog(log)
    {
        mX = x;
        mY = y;
        mWidth = width;
        mHeight = height;
    }

    void Update() override
    {
        Widget::Update();
        Add("Update");
        if (mOnUpdate)
            mOnUpdate();
    }
    void Draw(Kivo::Graphics*) override
    {
        Add("Draw");
        if (mOnDraw)
            mOnDraw();
    }
    void DrawOverlayPriority(Kivo::Graphics*, int priority) override { Add("Overlay " + std::to_string(priority)); }
    void GotFocus() override
    {
        Widget::GotFocus();
        Add("GotFocus");
    }
    void LostFocus() override
    {
        Widget::LostFocus();
        Add("LostFocus");
    }
    void KeyChar(char c) override { Add("Char " + std::to_string(int(c))); }
    void KeyDown(int key) override
    {
        Add("KeyDown " + std::to_string(key));
        Widget::KeyDown(key);
    }
    void KeyUp(int key) override { Add("KeyUp " + std::to_string(key)); }
    void MouseEnter() override { Add("Enter"); }
    void MouseLeave() override { Add("Leave"); }
    void MouseMove(int x, int y) override { Add("Move " + Point(x, y)); }
    void MouseDownButton(int x, int y, int button, int count) override
    {
        Add("Down " + Point(x, y) + " b" + std::to_string(button) + " n" + std::to_string(count));
    }
    void MouseUpButton(int x, int y, int button, int count) override
    {
        Add("Up " + Point(x, y) + " b" + std::to_string(button) + " n" + std::to_string(count));
    }
    void MouseDrag(int x, int y) override { Add("Drag " + Point(x, y)); }
    void MouseWheel(int delta) override { Add("Wheel " + std::to_string(delta)); }

    void Add(const std::string& what)
    {
        if (mLog)
            mLog->push_back(mName + "." + what);
    }
    static std::string Point(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

    std::string mName;
    CallLog* mLog;
    std::function<void()> mOnUpdate;
    std::function<void()> mOnDraw;
};
