#pragma once
#include "framework/core/Singleton.h"
