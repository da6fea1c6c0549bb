#pragma once
// What the program includes in place of the Windows headers.
#include "platform/win32/WinTypes.h"
#include "platform/win32/Time.h"
#include "platform/win32/Sync.h"
#include "platform/win32/Modules.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/FindFile.h"
#include "platform/win32/Registry.h"
#include "platform/win32/CommandLine.h"
#include "platform/win32/DebugOutput.h"
#include "platform/gdi/Gdi.h"
