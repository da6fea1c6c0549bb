// The report process: started by the crash handler as the program itself
// with the report's details on its command line, it shows the report's
// windows in a small window of its own, with a fresh heap, fresh threads and
// working libraries, while the crashed process waits for it.
#include "framework/app/CrashCatcher.h"
#include "framework/app/CrashErrorWindow.h"
#include "framework/app/KivoAppBase.h"
#include "framework/display/DDInterface.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace Kivo {

int RunCrashReport(int argc, char** argv)
{
    // kReportArg, crash file, title, demo file, send demo, submit host,
    // allow submit, product name, product version, application object,
    // company name.
    if (argc < 12 || std::strcmp(argv[1], CrashCatcher::kReportArg) != 0)
        return -1;
    CrashCatcher& catcher = CrashCatcher::Instance();
    // A crash of the report process itself shows no further window.
    catcher.showDialog = false;
    std::ifstream in(argv[2], std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    catcher.errorText = text;
    catcher.errorTitle = argv[3];
    catcher.demoPath = argv[4];
    catcher.sendDemo = std::strcmp(argv[5], "1") == 0;
    catcher.submitHost = argv[6];
    catcher.allowSubmit = std::strcmp(argv[7], "1") == 0;
    const bool hasApp = std::strcmp(argv[10], "1") == 0;

    auto* app = new KivoAppBase();
    app->productName = argv[8];
    app->productVersion = argv[9];
    // The game's own data folder, which holds "crash.txt" already.
    app->companyName = argv[11];
    app->title = "Fatal Error!";
    app->width = 400;
    app->height = 300;
    app->windowed = true;
    app->colorDepth = 32;
    // The crashed copy still holds the single-instance guard.
    app->singleInstanceSignal = false;
    app->cmdLineParsed = true;
    app->musicDisabled = true;
    app->autoStartLoadingThread = false;
    SetDisplayFactory([app] { return new DDInterface(app); });
    app->Init();
    app->CopyToClipboard(catcher.errorText);
    {
        CrashReportWindows windows(*app, catcher, hasApp);
        windows.Start();
        app->Start();
    }
    delete app;
    return 0;
}

} // namespace Kivo
