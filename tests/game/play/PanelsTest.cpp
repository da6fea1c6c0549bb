// The bonus panel and its slots, the timer, score and extra panels and the
// field frame, headless.
#include "game/play/BonusPanel.h"
#include "game/play/BonusSlot.h"
#include "game/play/ExtraPanel.h"
#include "game/play/ExtraPanelListener.h"
#include "game/play/FieldFrame.h"
#include "game/play/ScorePanel.h"
#include "game/play/TimerPanel.h"

#include <gtest/gtest.h>

TEST(BonusPanel, SlotIndicesOutsideTheFiveAreIgnored)
{
    BonusPanel panel(nullptr);
    for (int slot : {-1, -5, 5, 100}) {
        panel.SetSlotProgress(slot, 1.0f, false);
        panel.AddSlotProgress(slot, 0.5f);
        EXPECT_EQ(panel.GetSlotProgress(slot), 0.0f) << slot;
        int x = 0, y = 0;
        EXPECT_FALSE(panel.GetSlotCentre(slot, &x, &y)) << slot;
    }
    panel.SetSlotProgress(4, 0.5f, false);
    EXPECT_EQ(panel.GetSlotProgress(4), 0.5f);
}
