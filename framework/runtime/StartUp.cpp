// The start-up object and the user interface language code.
#include "runtime/StartUp.h"
#include "runtime/Messages.h"

namespace ovs {
namespace {

StartUp* currentStartUp = nullptr;

struct LanguageEntry {
    unsigned id;
    const char* code;
};

// Search order matters: the first match wins.
const LanguageEntry languageTable[] = {
    {9, "Us"},  {1, "Sa"},  {2052, "Cn"}, {6, "Dk"},  {19, "Nl"}, {12, "Fr"}, {7, "De"},    {8, "Gr"},  {16, "It"},
    {14, "Hu"}, {17, "Jp"}, {18, "Ko"},   {22, "Br"}, {10, "Es"}, {29, "Se"}, {1028, "Tw"}, {25, "Ru"},
};

} // namespace

StartUp::StartUp(const std::string& messagePrefix, const std::string& applicationName)
    : instance_(std::make_unique<InstanceData>()) {
    instance_->applicationName = applicationName;
    if (currentStartUp == nullptr) {
        currentStartUp = this;
    }
    setMessagePrefix(messagePrefix);
}

StartUp::~StartUp() {
    instance_.reset();
    if (currentStartUp == this) {
        currentStartUp = nullptr;
    }
    releaseLanguageModule();
}

StartUp* StartUp::current() {
    return currentStartUp;
}

const StringBase<char>& StartUp::applicationName() const {
    return instance_->applicationName;
}

HMODULE StartUp::instanceModule() const {
    return instance_->instanceModule;
}

void StartUp::setInstanceModule(HMODULE module) {
    instance_->instanceModule = module;
}

HMODULE StartUp::languageModule() const {
    return instance_->languageModule;
}

void StartUp::setLanguageModule(HMODULE module, bool owned, const FileString& path) {
    releaseLanguageModule();
    languageModule_.module = module;
    languageModule_.notOwned = !owned;
    languageModule_.path = path;
    instance_->languageModule = module;
}

void StartUp::releaseLanguageModule() {
    if (languageModule_.module != nullptr && !languageModule_.notOwned) {
        FreeLibrary(languageModule_.module);
    }
    languageModule_.module = nullptr;
    languageModule_.notOwned = true;
}

StringBase<char> StartUp::languageCodeFor(LANGID uiLanguage) {
    unsigned primary = PRIMARYLANGID(uiLanguage);
    unsigned sub = SUBLANGID(uiLanguage);
    unsigned value;
    if (primary == 4) { // Chinese
        if (sub == 3) {
            value = 1028;
        } else if (sub == 4) {
            value = 2052;
        } else {
            value = (sub == 5 ? 1 : sub) * 1024 + 4;
        }
    } else {
        value = primary + 2048;
    }
    for (const LanguageEntry& entry : languageTable) {
        if (entry.id == value) {
            return entry.code;
        }
    }
    for (const LanguageEntry& entry : languageTable) {
        if (entry.id == (value & 1023)) {
            return entry.code;
        }
    }
    return StringBase<char>();
}

StringBase<char> StartUp::languageCode() const {
    static const StringBase<char> code = languageCodeFor(GetUserDefaultUILanguage());
    return code;
}

} // namespace ovs
