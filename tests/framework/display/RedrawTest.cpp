#include "DisplayFixture.h"

#include <algorithm>

namespace {

using displaytest::Desktop;
using Kivo::Color;
using Kivo::Rect;

class RedrawTest : public displaytest::DisplayTest {
protected:
    // The presenting calls made since the log was last cleared.
    std::vector<std::string> Calls()
    {
        std::vector<std::string> out;
        for (const std::string& c : platform::DDraw().calls)
            if (c == "Blt" || c == "Flip" || c == "WaitForVerticalBlank" || c == "GetScanLine")
                if (out.empty() || c != "GetScanLine" || out.back() != "GetScanLine")
                    out.push_back(c);
        platform::DDraw().calls.clear();
        return out;
    }

    // A picture: a red square on blue, drawn by a surface fill and a
    // software blit.
    void Draw()
    {
        Kivo::DDImage* screen = display->mScreenImage;
        screen->FillRect(Rect(0, 0, screen->mWidth, screen->mHeight), Color(0, 0, 255), 0);
        Kivo::MemoryImage square;
        std::vector<uint32_t> red(16, 0xFFFF0000);
        square.SetBits(red.data(), 4, 4);
        screen->Blt(&square, 10, 20, Rect(0, 0, 4, 4), Color(255, 255, 255), 0);
    }

    static uint32_t At(const platform::MemoryPresenter::Frame& f, int x, int y)
    {
        return f.pixels[size_t(y) * size_t(f.width) + size_t(x)];
    }
};

TEST_F(RedrawTest, WindowedFrameIsWhatWasDrawn)
{
    EXPECT_FALSE(display->Redraw());
    ASSERT_EQ(display->Init(Window(), true), 0);
    Draw();
    ASSERT_TRUE(display->Redraw());
    const auto frame = Presenter().LastFrame();
    ASSERT_EQ(frame.width, 800);
    ASSERT_EQ(frame.height, 600);
    EXPECT_EQ(At(frame, 0, 0), 0xFF0000FEu);
    EXPECT_EQ(At(frame, 10, 20), 0xFFFF0000u);
    EXPECT_EQ(At(frame, 13, 23), 0xFFFF0000u);
    EXPECT_EQ(At(frame, 14, 23), 0xFF0000FEu);
    EXPECT_EQ(At(frame, 799, 599), 0xFF0000FEu);

    // A rect shows only that part.
    display->mScreenImage->FillRect(Rect(0, 0, 800, 600), Color(0, 255, 0), 0);
    Rect part(0, 0, 5, 5);
    ASSERT_TRUE(display->Redraw(&part));
    const auto partial = Presenter().LastFrame();
    EXPECT_EQ(At(partial, 4, 4), 0xFF00FE00u);
    EXPECT_EQ(At(partial, 5, 5), 0xFF0000FEu);
}

TEST_F(RedrawTest, KeepsTheScreenImageLock)
{
    ASSERT_EQ(display->Init(Window(), true), 0);
    ASSERT_TRUE(display->mScreenImage->LockSurface());
    EXPECT_FALSE(display->Redraw()); // a locked surface cannot be blitted from
    DDSURFACEDESC desc {};
    desc.dwSize = sizeof desc;
    EXPECT_EQ(display->mDrawSurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    EXPECT_TRUE(display->mScreenImage->UnlockSurface());

    // Video-only draw: software drawing on the screen image does nothing.
    display->SetVideoOnlyDraw(true);
    EXPECT_EQ(display->mScreenImage->GetBits(), nullptr);
    display->mScreenImage->FillRect(Rect(0, 0, 10, 10), Color(255, 0, 0), 0);
    Kivo::MemoryImage dot;
    const uint32_t white = 0xFFFFFFFF;
    dot.SetBits(&white, 1, 1);
    display->mScreenImage->Blt(&dot, 0, 0, Rect(0, 0, 1, 1), Color(255, 255, 255), 0);
    EXPECT_TRUE(display->Redraw());
    // What is presented is the video surface the screen image now draws to,
    // not the draw surface: that surface made white shows white.
    DDSURFACEDESC video {};
    video.dwSize = sizeof video;
    ASSERT_EQ(display->mSecondarySurface->Lock(nullptr, &video, DDLOCK_WAIT, nullptr), DD_OK);
    auto* row = static_cast<uint8_t*>(video.lpSurface);
    for (DWORD y = 0; y < video.dwHeight; ++y, row += video.lPitch)
        std::fill(row, row + video.dwWidth * (video.ddpfPixelFormat.dwRGBBitCount / 8), uint8_t(0xFF));
    display->mSecondarySurface->Unlock(nullptr);
    ASSERT_TRUE(display->Redraw());
    const auto frame = Presenter().LastFrame();
    EXPECT_EQ(At(frame, 5, 5) & 0x00F0F0F0u, 0x00F0F0F0u) << std::hex << At(frame, 5, 5);
    EXPECT_EQ(At(frame, 799, 599), At(frame, 5, 5));
}

TEST_F(RedrawTest, BarsStayBlack)
{
    // A window widened to 16:9 around a 4:3 draw buffer.
    app.hackAspect = true;
    app.hackRatio = Kivo::Ratio(16, 9);
    ASSERT_EQ(display->Init(Window(), true), 0);
    Draw();
    Rect part(0, 0, 5, 5); // ignored under aspect correction
    ASSERT_TRUE(display->Redraw(&part));
    auto frame = Presenter().LastFrame();
    ASSERT_EQ(frame.width, 933);
    EXPECT_EQ(At(frame, 132, 300), 0xFF000000u);
    EXPECT_EQ(At(frame, 133, 300), 0xFF0000FEu);
    EXPECT_EQ(At(frame, 143, 20), 0xFFFF0000u);

    // Full screen pillarbox on a 16:9 desktop, scaled to its height.
    display->ReleaseAll();
    app.hackAspect = false;
    SetDesktop(Desktop(1920, 1080));
    platform::DDraw().FailCall("CreateDevice", E_NOINTERFACE);
    display->mIs3D = true;
    ASSERT_EQ(display->Init(Window(), false), 7);
    display->mIs3D = false; // present the 2D display the failed start left
    display->mInitialized = true;
    Draw();
    ASSERT_TRUE(display->Redraw());
    frame = Presenter().LastFrame();
    ASSERT_EQ(frame.width, 1920);
    EXPECT_TRUE(frame.fullscreen);
    EXPECT_EQ(At(frame, 239, 500), 0xFF000000u);
    EXPECT_EQ(At(frame, 240, 500), 0xFF0000FEu);
    EXPECT_EQ(At(frame, 1679, 500), 0xFF0000FEu);
    EXPECT_EQ(At(frame, 1680, 500), 0xFF000000u);
    EXPECT_EQ(At(frame, 240 + 18, 36), 0xFFFF0000u); // (10, 20) scaled by 1.8
}

TEST_F(RedrawTest, FullScreenFlipsUnlessAPopupIsShown)
{
    ASSERT_EQ(display->Init(Window(), false), 0);
    platform::DDraw().logCalls = true;
    Draw();
    ASSERT_TRUE(display->Redraw());
    EXPECT_EQ(Calls(), (std::vector<std::string> { "Blt", "Flip" }));
    EXPECT_EQ(At(Presenter().LastFrame(), 10, 20), 0xFFFF0000u);
    app.popup = true;
    ASSERT_TRUE(display->Redraw());
    EXPECT_EQ(Calls(), std::vector<std::string> { "Blt" });
    app.popup = false;
    platform::DDraw().FailCall("Flip", MakeDDResult(450));
    EXPECT_FALSE(display->Redraw());
    EXPECT_EQ(display->mErrorString, "Redraw FullScreen Flip: DDERR_SURFACELOST");
}

TEST_F(RedrawTest, Direct3DFailureSwitches3DOff)
{
    ASSERT_EQ(display->Init(Window(), true), 0);
    display->mIs3D = true;
    Kivo::gLastD3DError = "DrawPrimitive: D3DERR_INVALIDVERTEXTYPE";
    EXPECT_FALSE(display->Redraw());
    EXPECT_FALSE(display->mIs3D);
}

TEST_F(RedrawTest, PacedBlitsInTwoHalves)
{
    app.vsync = true;
    ASSERT_EQ(display->Init(Window(), true), 0);
    Draw();
    platform::DDraw().logCalls = true;
    // The beam: above the window's middle, past it, past the bottom. The
    // first frame after Init is paced like every other.
    std::vector<DWORD> lines { 100, 350, 650 };
    size_t next = 0;
    platform::DDraw().scanLine = [&](DWORD* line) {
        *line = lines[std::min(next++, lines.size() - 1)];
        return DD_OK;
    };
    ASSERT_TRUE(display->Redraw());
    EXPECT_EQ(Calls(), (std::vector<std::string> { "GetScanLine", "Blt", "GetScanLine", "Blt" }));
    EXPECT_EQ(At(Presenter().LastFrame(), 10, 20), 0xFFFF0000u);
    EXPECT_EQ(At(Presenter().LastFrame(), 799, 599), 0xFF0000FEu);
    EXPECT_EQ(display->mScanLineFailCount, 0);
}

TEST_F(RedrawTest, PacingGivesUpAfterThreeFrames)
{
    app.vsync = true;
    ASSERT_EQ(display->Init(Window(), true), 0);
    platform::DDraw().logCalls = true;
    const auto start = platform::HeadlessBackend::Current()->clock.NowMicros();
    for (int frame = 0; frame < 3; ++frame) {
        ASSERT_TRUE(display->Redraw());
        EXPECT_EQ(Calls(), (std::vector<std::string> { "GetScanLine", "WaitForVerticalBlank", "Blt" }));
    }
    ASSERT_TRUE(display->Redraw());
    EXPECT_EQ(Calls(), (std::vector<std::string> { "WaitForVerticalBlank", "Blt" }));
    // The scan line failed at once: no frame waited out the poll limit.
    EXPECT_LT(platform::HeadlessBackend::Current()->clock.NowMicros() - start, 4 * 20000u);

    // A scan line that stops answering in the second half: bounded, and a
    // failure counted.
    display->mScanLineFailCount = 0;
    int calls = 0;
    auto& clock = platform::HeadlessBackend::Current()->clock;
    platform::DDraw().scanLine = [&](DWORD* line) {
        clock.AdvanceMillis(1);
        if (++calls > 2)
            return E_FAIL;
        *line = calls == 1 ? 100 : 350;
        return DD_OK;
    };
    ASSERT_TRUE(display->Redraw());
    EXPECT_EQ(display->mScanLineFailCount, 1);
}

TEST_F(RedrawTest, CursorIsDrawnAndTakenAway)
{
    ASSERT_EQ(display->Init(Window(), true), 0);
    Kivo::MemoryImage cursor;
    std::vector<uint32_t> white(8 * 8, 0xFFFFFFFF);
    cursor.SetBits(white.data(), 8, 8);
    EXPECT_TRUE(display->SetCursorImage(&cursor));
    EXPECT_FALSE(display->SetCursorImage(&cursor));
    display->mCursorX = 40;
    display->mCursorY = 50;
    Draw();
    const std::vector<uint32_t> before(display->mScreenImage->GetBits(),
                                       display->mScreenImage->GetBits() + 800 * 600);
    ASSERT_TRUE(display->Redraw());
    const auto frame = Presenter().LastFrame();
    EXPECT_EQ(At(frame, 40 - 4, 50 - 4), 0xFFFFFFFFu); // centred on the position
    EXPECT_EQ(At(frame, 40 + 4, 50 + 4), 0xFF0000FEu);
    const uint32_t* after = display->mScreenImage->GetBits();
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after)); // the draw surface is clean again
    EXPECT_TRUE(display->SetCursorImage(nullptr));
}

} // namespace
