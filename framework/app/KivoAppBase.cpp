#include "framework/app/KivoAppBase.h"

#include "framework/core/Strings.h"
#include "platform/win32/MessageBox.h"

#include <cstdlib>

namespace Kivo {

KivoAppBase::KivoAppBase()
{
    static const char* const kDefaultTexts[][2] = {
        { "DIALOG_BUTTON_OK", "OK" },
        { "DIALOG_BUTTON_CANCEL", "CANCEL" },
        { "UPDATE_CHECK_TITLE", "Update Check" },
        { "UPDATE_CHECK_BODY", "Checking if there are any updates available for this product ..." },
        { "UP_TO_DATE_TITLE", "Up to Date" },
        { "UP_TO_DATE_BODY", "There are no updates available for this product at this time." },
        { "NEW_VERSION_TITLE", "New Version" },
        { "NEW_VERSION_BODY", "There is an update available for this product.  Would you like to visit the web site to download it?" },
    };
    for (const auto& text : kDefaultTexts)
        SetString(text[0], StringToWString(text[1]));
}

KivoAppBase::~KivoAppBase() = default;

bool KivoAppBase::GetBoolean(const std::string& name, bool defaultValue)
{
    auto it = boolProperties.find(name);
    return it == boolProperties.end() ? defaultValue : it->second;
}

int KivoAppBase::GetInteger(const std::string& name, int defaultValue)
{
    auto it = intProperties.find(name);
    return it == intProperties.end() ? defaultValue : it->second;
}

double KivoAppBase::GetDouble(const std::string& name, double defaultValue)
{
    auto it = doubleProperties.find(name);
    return it == doubleProperties.end() ? defaultValue : it->second;
}

std::string KivoAppBase::GetString(const std::string& id, const std::string& defaultValue)
{
    auto it = stringProperties.find(id);
    return it == stringProperties.end() ? defaultValue : WStringToString(it->second);
}

std::string KivoAppBase::GetString(const std::string& id)
{
    return GetString(id, "");
}

void KivoAppBase::SetBoolean(const std::string& name, bool value)
{
    boolProperties[name] = value;
}

void KivoAppBase::SetInteger(const std::string& name, int value)
{
    intProperties[name] = value;
}

void KivoAppBase::SetDouble(const std::string& name, double value)
{
    doubleProperties[name] = value;
}

void KivoAppBase::SetString(const std::string& id, const std::wstring& value)
{
    stringProperties[id] = value;
}

void KivoAppBase::InsertStringList(const std::string& id, const std::vector<std::wstring>& list)
{
    stringVectorProperties.insert({ id, list });
}

void KivoAppBase::Popup(const std::string& text)
{
    if (!shutdown)
        MessageBoxA(nullptr, text.c_str(), GetString("FATAL_ERROR", "FATAL ERROR").c_str(), MB_ICONERROR);
}

void KivoAppBase::EnforceCursor()
{
}

void KivoAppBase::Exit(int code)
{
    std::exit(code);
}

} // namespace Kivo
