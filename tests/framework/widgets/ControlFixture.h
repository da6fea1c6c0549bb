#pragma once
// What the control tests share: a fixed-width font whose copies log their
// text to one list, and a fixture with a fake application.
#include "framework/graphics/Font.h"
#include "framework/widgets/WidgetManager.h"
#include "tests/support/FakeApp.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Every character is 10 pixels wide; ascent 8, height 12.
class LoggingFont : public Kivo::Font {
public:
    struct Piece {
        std::string text;
        int x, y;
        Kivo::Color color;
        bool operator==(const Piece&) const = default;
    };
    using Log = std::vector<Piece>;

    explicit LoggingFont(Log* log) : mLog(log)
    {
        mAscent = 8;
        mHeight = 12;
    }
    int StringWidth(const std::string& text) override { return 10 * static_cast<int>(text.size()); }
    void DrawString(Kivo::Graphics*, int x, int y, const std::string& text, const Kivo::Color& color,
                    const Kivo::Rect&) override
    {
        mLog->push_back({text, x, y, color});
    }
    Kivo::Font* Duplicate() override { return new LoggingFont(*this); }

    Log* mLog;
};

class ControlTest : public ::testing::Test {
protected:
    ~ControlTest() override { manager.RemoveAllWidgets(false, true); }

    // Adds a widget the test owns at (x, y) with the size.
    template <class W>
    W* Add(std::unique_ptr<W> widget, int x, int y, int w, int h)
    {
        W* raw = widget.get();
        owned.push_back(std::move(widget));
        raw->Resize(x, y, w, h);
        manager.AddWidget(raw);
        return raw;
    }
    void Click(int x, int y, int code = 1)
    {
        manager.MouseMove(x, y);
        manager.MouseDown(x, y, code);
        manager.MouseUp(x, y, code);
    }

    FakeApp app;
    Kivo::WidgetManager& manager = app.mManager;
    LoggingFont::Log textLog;
    LoggingFont font{&textLog};
    std::vector<std::unique_ptr<Kivo::Widget>> owned;
};
