// The Direct3D capability test on the software device: scenes, the stored
// verdict, driver lists, injected device faults and demo playback.
#include "DisplayFixture.h"

#include "framework/display/D3DInterface.h"
#include "framework/display/D3DTester.h"
#include "platform/win32/Registry.h"

#include <filesystem>
#include <fstream>

namespace {

using displaytest::Desktop;
using displaytest::DisplayTest;
using Kivo::D3DTester;

class Test3D : public DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        platform::UseMemoryRegistry(true);
        old_ = std::filesystem::current_path();
        dir_ = std::filesystem::temp_directory_path() / ("kivo_test3d_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        std::filesystem::current_path(dir_);
    }
    void TearDown() override
    {
        std::filesystem::current_path(old_);
        std::filesystem::remove_all(dir_);
        platform::UseMemoryRegistry(false);
        DisplayTest::TearDown();
    }

    // A full test as the display runs it, on the tester's own DirectDraw.
    std::unique_ptr<D3DTester> Run()
    {
        auto tester = std::make_unique<D3DTester>(&app);
        tester->mMinVidMemory = 6;
        tester->mRecVidMemory = 14;
        tester->TestD3D(Window(), nullptr);
        return tester;
    }
    void WriteFile(const char* name, const std::string& text) { std::ofstream(dir_ / name) << text; }
    HKEY RecordKey()
    {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\KivoTest\\Display\\Test3D", 0, const_cast<char*>(""), 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
        return key;
    }

    std::filesystem::path old_, dir_;
};

TEST_F(Test3D, EveryScenePassesOn32And16BitTargets)
{
    for (int bytes : { 4, 2 }) {
        SCOPED_TRACE(bytes);
        SetDesktop(Desktop(1024, 768, bytes));
        platform::UseMemoryRegistry(true);
        auto tester = std::make_unique<D3DTester>(&app);
        tester->mUseRecord = false;
        ASSERT_TRUE(tester->Init(Window(), nullptr)) << tester->mFailureReason;
        EXPECT_TRUE(Kivo::gD3DTest32BitTextures);
        for (auto scene : { &D3DTester::TestAlphaBlend, &D3DTester::TestAdditiveBlend, &D3DTester::TestAlphaAddBlend,
                            &D3DTester::TestAlphaModulateBlend, &D3DTester::TestClipping }) {
            EXPECT_TRUE(((*tester).*scene)()) << tester->mFailureReason;
            EXPECT_EQ(tester->mFailureReason, "");
            EXPECT_EQ(tester->mWarning, "");
        }
        // The alpha scene's read-back: blue under half red.
        ASSERT_TRUE(tester->TestAlphaBlend());
        const uint32_t p = tester->mTestImage.mPixels[0];
        EXPECT_FALSE(Kivo::IsFarColor(p, 0x7F007F)) << std::hex << p;
        if (bytes == 2) {
            EXPECT_EQ(p & 0x070707, 0u); // 5- and 6-bit channels read back with low bits 0
        }
        tester->Cleanup();
    }
}

TEST_F(Test3D, NewVerdictIsStoredAndAStoredPassSkipsTheScenes)
{
    auto first = Run();
    EXPECT_EQ(first->mFailureReason, "");
    EXPECT_EQ(first->mWarning, "");
    EXPECT_TRUE(first->mNewVerdict);
    HKEY key = RecordKey();
    DWORD version = 0, size = 4, type = 0;
    ASSERT_EQ(RegQueryValueExA(key, "Version", nullptr, &type, reinterpret_cast<BYTE*>(&version), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(version, 2u);
    GUID guid {};
    size = 16;
    ASSERT_EQ(RegQueryValueExA(key, "DisplayGUID", nullptr, &type, reinterpret_cast<BYTE*>(&guid), &size),
              ERROR_SUCCESS);
    EXPECT_TRUE(guid == platform::SoftAdapterGuid());

    // A stored pass with a warning: no scenes, the stored texts, no new verdict.
    const char warning[] = "Stored warning";
    RegSetValueExA(key, "Warning", 0, REG_SZ, reinterpret_cast<const BYTE*>(warning), sizeof warning);
    platform::DDraw().logCalls = true;
    auto second = Run();
    EXPECT_EQ(second->mWarning, "Stored warning");
    EXPECT_FALSE(second->mNewVerdict);
    const auto& calls = platform::DDraw().calls;
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "DrawPrimitive"), 0);

    // A stored failure, another version or another adapter: tested again.
    // A record that matched except for its stored failure is read, so its
    // new test does not count as a new verdict.
    struct Case {
        const char* value;
        DWORD type;
        std::vector<BYTE> data;
        bool newVerdict;
    } cases[] = {
        { "FailureReason", REG_SZ, { 'x', 0 }, false },
        { "Version", REG_DWORD, { 3, 0, 0, 0 }, true },
        { "DisplayGUID", REG_BINARY, std::vector<BYTE>(16, 7), true },
        { "MinVidMemory", REG_DWORD, { 1, 0, 0, 0 }, true },
        { "Warning", REG_BINARY, { 'a', 'b' }, true }, // not a string: a mismatch
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        RegSetValueExA(key, c.value, 0, c.type, c.data.data(), DWORD(c.data.size()));
        platform::DDraw().calls.clear();
        auto again = Run();
        EXPECT_EQ(again->mFailureReason, "");
        EXPECT_EQ(again->mWarning, "");
        EXPECT_EQ(again->mNewVerdict, c.newVerdict);
        EXPECT_GT(std::count(calls.begin(), calls.end(), "DrawPrimitive"), 0);
    }
    RegCloseKey(key);
}

TEST_F(Test3D, DriverLists)
{
    D3DTester tester(&app);
    const std::string card = "Kivo ATI Radeon 9700";
    tester.mDriverYear = 2001;
    EXPECT_TRUE(tester.IsDriverGood(card)); // the vendor rule
    EXPECT_FALSE(tester.IsDriverGood("Plain Card"));
    tester.mDriverYear = 2002;
    EXPECT_TRUE(tester.IsDriverGood("Plain Card"));
    WriteFile("vhw.dat", "\n  geforce  \n");
    EXPECT_FALSE(tester.IsDriverGood("Plain Card")); // listed files decide alone
    EXPECT_TRUE(tester.IsDriverGood("NVIDIA GeForce 4"));
    WriteFile("vhwb.dat", "GEFORCE 4\n");
    EXPECT_FALSE(tester.IsDriverGood("NVIDIA GeForce 4")); // blocked beats allowed

    // The adapter's own description is unsupported by a list without it.
    auto run = Run();
    EXPECT_EQ(run->mFailureReason, "");
    EXPECT_EQ(run->mWarning, std::string("Unsupported video card: ") + platform::kSoftAdapterDescription);
}

TEST_F(Test3D, DeviceFaultsGiveTheirTexts)
{
    struct Case {
        const char* name;
        std::function<void()> inject;
        const char* failure;
        const char* warning;
    } cases[] = {
        { "alpha op ignored", [] { platform::DDraw().d3dIgnoreAlphaOp = true; },
          "AlphaModulated blend not supported.", "" },
        { "24-bit desktop", [this] { SetDesktop(Desktop(1024, 768, 3)); }, "Can't test 24-bit mode.", "" },
        { "no A8R8G8B8", [] { platform::DDraw().d3dTextureFormats = 2 | 4; }, "",
          "A8R8G8B8 texture format not supported." },
        { "no alpha formats", [] { platform::DDraw().d3dTextureFormats = 4 | 8; },
          "A4R4G4B4 and A8R8G8B8 texture formats not supported.", "A8R8G8B8 texture format not supported." },
        { "device", [] { platform::DDraw().FailCall("CreateDevice", E_FAIL); }, "DXError - CreateDevice: DSERR_GENERIC",
          "" },
        { "draw", [] { platform::DDraw().FailCall("DrawPrimitive", E_FAIL, 2); },
          "DXError - DrawPrimitive: DSERR_GENERIC", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::ResetDDraw();
        platform::UseMemoryRegistry(true);
        SetDesktop(Desktop(1024, 768));
        c.inject();
        auto tester = Run();
        EXPECT_EQ(tester->mFailureReason, c.failure);
        EXPECT_EQ(tester->mWarning, c.warning);
        EXPECT_TRUE(tester->mNewVerdict);
    }
}

TEST_F(Test3D, TheDisplayAppliesTheVerdict)
{
    // A clean pass switches 3D on when asked to; Init then runs Direct3D.
    app.autoEnable3D = true;
    ASSERT_EQ(display->Init(Window(), true), 0) << display->mErrorString;
    EXPECT_TRUE(display->mIs3D);
    EXPECT_EQ(app.newVerdicts, 1);
    ASSERT_NE(display->mD3DInterface->mDevice, nullptr);
    // The tester runs once per display.
    EXPECT_FALSE(display->RunD3DTest(Window()));

    // A failure switches it off.
    display.reset();
    platform::ResetDDraw();
    platform::UseMemoryRegistry(true);
    display = std::make_unique<Kivo::DDInterface>(&app);
    app.display = display.get();
    platform::DDraw().d3dIgnoreAlphaOp = true;
    display->mIs3D = true;
    ASSERT_EQ(display->Init(Window(), true), 0);
    EXPECT_FALSE(display->mIs3D);
    EXPECT_EQ(display->mD3DInterface->mDevice, nullptr);
}

TEST_F(Test3D, DemoPlaybackTakesTheVerdictFromTheStream)
{
    app.demoPlayback = true;
    app.demoFailure = "Recorded failure";
    app.demoNewVerdict = true;
    platform::DDraw().logCalls = true;
    auto tester = Run();
    EXPECT_EQ(tester->mFailureReason, "Recorded failure");
    EXPECT_TRUE(tester->mNewVerdict);
    EXPECT_TRUE(platform::DDraw().calls.empty());
}

} // namespace
