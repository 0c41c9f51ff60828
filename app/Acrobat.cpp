// Starting, stopping and finding Acrobat.
#include "Acrobat.h"

#include "MessageNumbers.h"
#include "platform/Win32.h"
#include "process/Process.h"
#include "platform/PlatformCalls.h"
#include "profiling/RegistryKey.h"
#include "runtime/Console.h"
#include "runtime/Exception.h"

namespace {

const char* const acrobatImageName = "Acrobat.exe";

const char* const appPathKey32 =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Acrobat.exe";
const char* const appPathKey64 =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Acrobat.exe";
const char* const settingsKey32 =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\ORVA-SYSTEMS\\Veilgard\\Veilgard|PDF\\CurrentVersion\\Settings";
const char* const settingsKey64 =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\ORVA-SYSTEMS\\Veilgard\\Veilgard|PDF\\CurrentVersion\\Settings";

const DWORD waitMilliseconds = 2000;
const int startChecks = 30;
const int stopAttempts = 4;

bool isExistingFile(const ovs::FileString& path) {
    DWORD attributes = ovs::platformCalls().getFileAttributes(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace

std::string readRegistryText(const std::string& keyPath, const std::string& valueName) {
    ovs::String text;
    try {
        ovs::RegistryKey key(false);
        key.open(keyPath, true);
        key.readString(valueName, text);
        key.close();
    } catch (const ovs::Exception&) {
        // a key that cannot be opened or a value that cannot be read gives what was read
    }
    return text;
}

Acrobat::Acrobat() = default;

Acrobat::~Acrobat() = default;

ovs::FileString Acrobat::executablePath() {
    // A 32-bit tool on 64-bit Windows reads the keys a 32-bit installer writes there; a failing
    // IsWow64Process counts as 32-bit Windows.
    const bool windows64 = ovs::isWow64Process();
    ovs::FileString path = readRegistryText(windows64 ? appPathKey64 : appPathKey32, "");
    if (isExistingFile(path)) {
        return path;
    }
    ovs::FileString result = readRegistryText(windows64 ? settingsKey64 : settingsKey32, "InstallFolder");
    if (!result.empty()) {
        result = result.folder();
        result.join(acrobatImageName);
    }
    return result;
}

bool Acrobat::isRunning() {
    ovs::Process acrobat(acrobatImageName);
    return acrobat.isRunning();
}

bool Acrobat::start() {
    ovs::FileString path = executablePath();
    if (!isExistingFile(path)) {
        throw ovs::Exception(ovs::msg::AcrobatNotStarted);
    }
    if (isRunning()) {
        ovs::console() << "Acrobat already running\n" << std::flush;
        return true;
    }
    ovs::console() << "Starting acrobat, please wait\n" << std::flush;
    ovs::Process(path).launch(std::string(), std::string());
    ovs::PlatformCalls& calls = ovs::platformCalls();
    calls.sleep(waitMilliseconds);
    if (isRunning()) {
        return true;
    }
    for (int tries = 1;; ++tries) {
        calls.sleep(waitMilliseconds);
        if (tries > startChecks) {
            throw ovs::Exception(ovs::msg::AcrobatNotStarted);
        }
        if (isRunning()) {
            return true;
        }
    }
}

bool Acrobat::stop() {
    ovs::Process acrobat(acrobatImageName);
    bool result = false;
    for (int attempt = 0; acrobat.isRunning();) {
        ovs::console() << std::endl << "Stopping Acrobat.exe - try " << attempt << std::endl;
        result = acrobat.terminate();
        if (!acrobat.isRunning()) {
            break;
        }
        ovs::platformCalls().sleep(waitMilliseconds);
        if (++attempt == stopAttempts) {
            throw ovs::Exception(ovs::msg::AcrobatNotStopped, "Unable to stop acrobat.exe process.");
        }
    }
    return result;
}

void Acrobat::restart() {
    stop();
    start();
}
