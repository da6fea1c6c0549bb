#pragma once
// Screenshots: the screen as "image<n>.png" in the data folder's
// "_screenshots", n one more than the largest number already there.
#include <string>

namespace Kivo {

class DDInterface;
class KivoAppBase;

// The number for the next screenshot in `folder` (ending in a separator):
// one more than the largest n of the names "image<n>.png" (case ignored,
// n decimal digits), 1 when there is none, and 0 when the next number would
// not fit an int.
int NextScreenshotNumber(const std::string& folder);
// Reads the display's screen surface back and writes it to the next free
// number in `folder`. The path written, or "" when there is no display or
// screen surface, the surface gives no pixels, no number is left or the
// file cannot be written.
std::string SaveScreenshot(DDInterface* display, const std::string& folder);
// SaveScreenshot into the data folder's "_screenshots" (made when
// missing); the time it took does not count as lag.
std::string TakeScreenshot(KivoAppBase& app);

} // namespace Kivo
