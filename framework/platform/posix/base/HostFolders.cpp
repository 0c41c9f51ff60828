// POSIX substitute: the application-data folder, the Windows directory and the registry folder.
#include "platform/posix/base/HostFolders.h"
#include "platform/posix/file/ZPath.h"

#include <cstdlib>

namespace ovs::posix {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::string withoutTrailingSlashes(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

// <application data>/ovs/<name>, or empty without an application-data folder.
std::string ovsFolder(const char* name) {
    std::string base = applicationDataFolder();
    if (base.empty()) {
        return std::string();
    }
    return (base == "/" ? std::string() : base) + "/ovs/" + name;
}

} // namespace

std::string applicationDataFolder() {
    std::string xdg = environment("XDG_CONFIG_HOME");
    if (!xdg.empty() && xdg[0] == '/') {
        return withoutTrailingSlashes(xdg);
    }
    // A relative HOME, like a relative XDG_CONFIG_HOME, would put the folder below whatever
    // folder the program happens to run in, where no other program looks: it does not count.
    std::string home = withoutTrailingSlashes(environment("HOME"));
    if (home.empty() || home[0] != '/') {
        return std::string();
    }
    return (home == "/" ? std::string() : home) + "/.config";
}

std::string windowsDirectory() {
    std::string configured = environment("OVS_WINDOWS_DIR");
    if (configured.empty()) {
        return ovsFolder("windows");
    }
    if (configured[0] == '/') {
        return configured;
    }
    std::string unixPath;
    return unixPathFrom(configured.c_str(), unixPath) ? unixPath : std::string();
}

std::string registryFolder() {
    std::string configured = environment("OVS_REGISTRY_DIR");
    return configured.empty() ? ovsFolder("registry") : configured;
}

} // namespace ovs::posix
