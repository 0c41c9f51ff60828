// The start-up object: the application's name, its instance module (the program's own)
// and an optional language module searched first for message texts, plus the user
// interface language code.
#pragma once
#include "strings/FileString.h"
#include "platform/Win32.h"
#include "strings/StringBase.h"

#include <memory>
#include <string>

namespace ovs {

class StartUp {
public:
    // Stores the name, sets the message prefix (cut to 11 characters) and becomes the
    // current start-up object unless there is one already.
    StartUp(const std::string& messagePrefix, const std::string& applicationName);
    virtual ~StartUp();
    StartUp(const StartUp&) = delete;
    StartUp& operator=(const StartUp&) = delete;

    virtual FileString programPath() const = 0;
    // Two-letter code of the user interface language ("De", "Us", ...), or empty; computed
    // once per process.
    virtual StringBase<char> languageCode() const;
    virtual bool initialise() = 0;
    virtual bool finish() = 0;

    // The current start-up object, or null.
    static StartUp* current();

    const StringBase<char>& applicationName() const;
    HMODULE instanceModule() const;
    void setInstanceModule(HMODULE module);
    // Null unless set; texts are looked up there first.
    HMODULE languageModule() const;
    // An owned module is released with FreeLibrary when the start-up object ends.
    void setLanguageModule(HMODULE module, bool owned, const FileString& path = FileString());

    // The language code for a Windows user interface language id (the table lookup behind
    // languageCode).
    static StringBase<char> languageCodeFor(LANGID uiLanguage);

private:
    struct InstanceData {
        HMODULE instanceModule = nullptr;
        HMODULE languageModule = nullptr;
        StringBase<char> applicationName;
    };
    struct LanguageModuleHolder {
        HMODULE module = nullptr;
        bool notOwned = true;
        FileString path;
        StringBase<char> text;
    };
    void releaseLanguageModule();

    std::unique_ptr<InstanceData> instance_;
    LanguageModuleHolder languageModule_;
};

} // namespace ovs
