#pragma once
// The application a target reaches its readers through: headless, without
// music and without the loading thread, made once for the whole run.
#include "framework/app/KivoAppBase.h"
#include "platform/Backend.h"

class FuzzApp final : public Kivo::KivoAppBase {
public:
    explicit FuzzApp(const char* name)
    {
        productName = name;
        musicDisabled = true;
        autoStartLoadingThread = false;
    }

    static FuzzApp* Get(const char* name)
    {
        static FuzzApp* app = [name] {
            platform::UseBackend("headless");
            return new FuzzApp(name);
        }();
        return app;
    }
};
