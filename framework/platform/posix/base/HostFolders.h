// POSIX substitute: the Unix folders that play Windows' own folders. Every part of the layer
// that needs the application-data folder, the Windows directory or the registry folder asks
// here, so that they always agree.
#pragma once
#include <string>

namespace ovs::posix {

// The folder that plays the roaming application-data folder: $XDG_CONFIG_HOME when set and
// absolute, else $HOME/.config when HOME is set and not empty. No trailing "/" (except for
// "/" itself). Empty when neither is known.
std::string applicationDataFolder();

// The folder that plays the Windows directory: $OVS_WINDOWS_DIR when set and not empty (a Unix
// path, or a Z: path turned into one; empty when it has no Unix counterpart), else
// <application data>/ovs/windows. Empty when none is known.
std::string windowsDirectory();

// The registry folder: $OVS_REGISTRY_DIR when set and not empty, else
// <application data>/ovs/registry. Empty when none is known.
std::string registryFolder();

} // namespace ovs::posix
