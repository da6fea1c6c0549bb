#pragma once
// Shows the developer's output for the life of the object, whatever the
// build type's default, so that a test that reads it reads the same in
// every build.
#include "platform/win32/DebugOutput.h"

namespace testsupport {

class ShownDebugOutput {
public:
    ShownDebugOutput() : mWasShown(platform::DebugOutputShown()) { platform::ShowDebugOutput(true); }
    ~ShownDebugOutput() { platform::ShowDebugOutput(mWasShown); }
    ShownDebugOutput(const ShownDebugOutput&) = delete;
    ShownDebugOutput& operator=(const ShownDebugOutput&) = delete;

private:
    bool mWasShown;
};

} // namespace testsupport
