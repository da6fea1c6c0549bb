// Pictures of the windows drawn with the real data set, for looking at:
// run with --gtest_also_run_disabled_tests and WINDOW_PICTURES=<folder>.
// Each window is drawn over a striped backdrop, in the software path, as
// the widget manager draws the screen; one picture catches the confirm
// window part way through its appear effect, faded and faded with scaling.
#include "framework/app/KivoAppBase.h"
#include "framework/core/Paths.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ResourceManager.h"
#include "framework/widgets/WidgetManager.h"
#include "game/meta/WindowConfirm.h"
#include "game/meta/WindowMessage.h"
#include "game/meta/WindowNewProfile.h"
#include "game/meta/WindowProfiles.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/WindowEffects.h"
#include "platform/Backend.h"
#include "tests/game/meta/AppWindowSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <filesystem>

namespace {

using wintest::Backdrop;

class PictureApp : public Kivo::KivoAppBase {
public:
    PictureApp()
    {
        width = 800;
        height = 600;
        musicDisabled = true;
    }
};

TEST(WindowPictures, DISABLED_DrawEachWindow)
{
    const char* out = std::getenv("WINDOW_PICTURES");
    ASSERT_NE(out, nullptr) << "WINDOW_PICTURES names the folder for the pictures";
    ASSERT_TRUE(platform::UseBackend("headless"));
    const auto saved = std::filesystem::current_path();
    std::filesystem::current_path(std::string(KIVO_DATA_DIR) + "/tree");
    testsupport::TempDir profiles;
    Kivo::SetAppDataFolder(profiles.Path() + "/");
    {
        PictureApp app;
        app.LoadResourceManifest();
        ASSERT_TRUE(app.resourceManager->ParseResourcesFile("properties\\lang_00\\fonts.xml"));
        ASSERT_TRUE(app.LoadProperties("properties\\lang_00\\texts.xml", true, false));
        ASSERT_TRUE(app.resourceManager->LoadResources("Common"));
        ASSERT_TRUE(app.resourceManager->LoadResources("Fonts"));
        ProfileManager* manager = ProfileManager::Instance();
        for (auto [slot, name, type] : {std::tuple{0, "ANN", 1}, std::tuple{2, "BARNABY", 2}}) {
            manager->CreateSlot(slot);
            manager->SelectSlot(slot);
            SetProfileString("user_name", name);
            SetProfileInt("progress_type", type);
            SaveCurrentProfile();
        }

        Kivo::MemoryImage screen;
        screen.Create(800, 600);
        Kivo::WidgetManager* wm = app.widgetManager;
        wm->mScreenImage = &screen;
        Backdrop backdrop;
        wm->AddWidget(&backdrop);
        const auto shoot = [&](WindowBase* window, const std::string& name, int effectUpdates, bool scaled = false) {
            app.AddDialog(window);
            if (effectUpdates > 0) {
                window->PlayEffect(scaled ? WINDOW_EFFECT_APPEAR : WINDOW_EFFECT_APPEAR_ALPHA,
                                   &WindowBase::OnAppearDone);
                for (int i = 0; i < effectUpdates; ++i)
                    wm->UpdateFrameF(1.0f);
            }
            wm->UpdateFrame();
            wm->UpdateFrameF(1.0f);
            wm->MarkAllDirty();
            wm->DrawScreen();
            if (scaled) {
                // The software screen stretches only untinted images fast:
                // draw the scaled effect with the filtered stretch.
                Kivo::Graphics g(&screen);
                g.SetFastStretch(false);
                backdrop.Draw(&g);
                window->mEffect->Draw(&g);
            }
            ImageLib::Image png;
            png.mWidth = 800;
            png.mHeight = 600;
            png.mBits = new uint32_t[800 * 600];
            std::copy(screen.GetBits(), screen.GetBits() + 800 * 600, png.mBits);
            for (int i = 0; i < 800 * 600; ++i)
                png.mBits[i] |= 0xFF000000u;
            EXPECT_TRUE(ImageLib::WritePNGImage(std::string(out) + "/" + name + ".png", &png));
            if (WindowEffect* effect = window->mEffect)
                wm->RemoveWidget(effect), delete effect;
            app.KillDialog(window->mId);
            app.ProcessSafeDeleteList();
        };
        WindowConfirm* confirm = WindowConfirm::Instance();
        confirm->mMessage = "Do you really want to delete this profile? Its town and its scores go with it.";
        shoot(confirm, "confirm", 0);
        confirm = WindowConfirm::Instance();
        confirm->mMessage = "Do you really want to start the town again from the beginning?";
        shoot(confirm, "confirm_appearing", 8);
        confirm = WindowConfirm::Instance();
        confirm->mMessage = "Do you really want to start the town again from the beginning?";
        shoot(confirm, "confirm_appearing_scaled", 8, true);
        WindowMessage* message = WindowMessage::Instance();
        message->mMessage = GetStringById("message_you_have_to_create_profile");
        shoot(message, "message", 0);
        WindowNewProfile* newProfile = WindowNewProfile::Instance();
        newProfile->SetUserName("CHARLOTTE");
        newProfile->SetCancelVisible(false);
        shoot(newProfile, "new_profile_first_start", 0);
        newProfile = WindowNewProfile::Instance();
        newProfile->mDialogHeader = GetStringById("window_changeprofile_caption");
        newProfile->SetUserName("ANN");
        newProfile->SetProgressType(1);
        shoot(newProfile, "change_profile", 0);
        shoot(WindowProfiles::Instance(), "profiles", 0);
        wm->RemoveWidget(&backdrop);
        wm->mScreenImage = nullptr;
        delete ProfileManager::Existing();
    }
    Kivo::SetAppDataFolder("");
    std::filesystem::current_path(saved);
}

} // namespace
