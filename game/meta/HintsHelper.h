#pragma once
// Whether a hint may be shown now, and showing it: once per profile (the
// shown bits "hints_mask1" for hint indices 0-31 and "hints_mask2" for
// 32-63), at least 1000 updates after the last hint, never over a hint
// window that is up. The same bits serve the game as seen-once flags for
// ids that never open a window.
#include "framework/core/Singleton.h"

#include <cstdint>
#include <string>

class HintsHelper : public Singleton<HintsHelper> {
public:
    static constexpr int kMaxHints = 64;
    static constexpr uint32_t kHintInterval = 1000;

    HintsHelper();
    ~HintsHelper() override;

    // An index past the file's hints, or 64 or more, counts as shown.
    bool IsShown(int index) const;
    void SetShown(int index);
    void ClearShown(int index);
    // Whether a hint other than the first is still to be shown.
    bool HasUnshownHints() const;
    bool CanShowHint() const;
    // Shows the hint at the point, with the arrow `distance` off it, unless
    // it was shown before or CanShowHint says no; sets its shown bit.
    void ShowHint(const std::string& id, int x, int y, int distance);
    // Opens the hint's window without any check.
    void ShowHintWindow(const std::string& id, int x, int y, int distance);
    // An unknown id counts as shown and cannot be set or cleared.
    bool IsHintShown(const std::string& id) const;
    void SetHintShown(const std::string& id);
    void ClearHintShown(const std::string& id);
    // Lets the next hint come at once and takes the picture hint window off
    // the screen; true when it was up.
    bool ResetHintWindow();

    // The application's update count when the last hint was shown.
    uint32_t lastHintTime = 0;

private:
    void ChangeShown(int index, bool shown);
    static uint32_t Now();
    static bool HintWindowUp();
};
