// The pieces of ovs::platform::ChildProcess that each platform file supplies to the shared
// code in platform/ChildProcess.cpp.
#pragma once
#include "platform/ChildProcess.h"

#include <string>
#include <vector>

namespace ovs::platform {

// This process's environment, one "name=value" text per variable.
std::vector<std::string> ownEnvironment();

// True when the two texts name the same environment variable on this platform.
bool sameVariableName(const std::string& a, const std::string& b);

// The child's environment: ours with the variables of options set or replaced.
std::vector<std::string> childEnvironment(const ChildProcess::Options& options);

} // namespace ovs::platform
