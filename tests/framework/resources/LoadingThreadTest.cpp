#include "ResourceFixture.h"

#include "framework/graphics/Image.h"
#include "framework/resources/ResourceHelpers.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace Kivo;
using namespace restest;

namespace {

// The start-up's pattern: "General" is loaded at once, then a loading
// thread loads "Common" resource by resource, counting progress, while the
// main thread keeps looking resources up until the thread says it is done.
TEST(LoadingThread, FillsTheCacheWhileTheMainThreadLooksUp)
{
    LoadedFixture f;
    ResourceManager& m = *f.app.manager;
    ASSERT_TRUE(m.ParseResourcesFile("properties/resources.xml"));
    ASSERT_TRUE(m.LoadResources("General"));
    const int total = m.GetNumResources("Common");

    std::atomic<int> count{ 0 };
    std::atomic<bool> done{ false };
    std::thread loader([&] {
        m.StartLoadResources("Common");
        while (m.LoadNextResource())
            ++count;
        done = true;
    });

    // Only the manager's own lookups here: anything else that locks (the
    // test application's log) would order the two threads and hide a race.
    Image* plain = m.GetImage("IMAGE_plain").ToImage();
    int lastCount = 0;
    int passes = 0;
    while (!done || passes == 0) {
        ++passes;
        EXPECT_EQ(m.GetImage("IMAGE_plain").ToImage(), plain);
        m.GetImage("COMMON_B"); // empty or finished, never half-made
        m.GetFont("COMMON_MAIN");
        m.GetSoundId("COMMON_CLICK");
        int now = count;
        EXPECT_GE(now, lastCount);
        lastCount = now;
        std::this_thread::yield();
    }
    loader.join();

    EXPECT_FALSE(m.HadError()) << m.GetErrorText();
    EXPECT_EQ(count, total);
    for (const char* id : { "COMMON_A", "COMMON_B", "COMMON_C" })
        EXPECT_NE(GetImageById(id), nullptr) << id;
    EXPECT_NE(GetImageById("COMMON_A"), GetImageById("IMAGE_plain")) << "another variant";
    EXPECT_EQ(GetImageById("COMMON_B")->mNumCels, 6);
    EXPECT_GE(GetSoundIdByName("COMMON_CLICK"), 0);
    EXPECT_NE(GetFontById("COMMON_MAIN"), nullptr);
}

} // namespace
