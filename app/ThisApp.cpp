// FraskPdfCmd's application class: the banner.
#include "ThisApp.h"
#include "runtime/Console.h"
#include "runtime/VersionInfo.h"

namespace {

// Version data of this build: 21.02, build 4548, level 500, built 2021-02-17, first year 2007.
constexpr int versionMajor = 21;
constexpr int versionMinor = 2;
constexpr int versionBuild = 4548;
constexpr int versionLevel = 500;
constexpr int buildYear = 21;
constexpr int buildMonth = 2;
constexpr int buildDay = 17;
constexpr int firstYear = 7;

} // namespace

ThisApp::ThisApp() : ovs::Application("OV", "FraskPdfCmd") {}

ThisApp::~ThisApp() = default;

int ThisApp::run() {
    ovs::VersionInfo version(versionMajor, versionMinor, versionBuild, versionLevel, buildYear, buildMonth, buildDay,
                             firstYear);
    ovs::console() << "FraskPdfCmd " << version.versionOfDateBuild() << std::endl;
    ovs::console() << version.rightsNotice() << std::endl;
    return 0;
}
