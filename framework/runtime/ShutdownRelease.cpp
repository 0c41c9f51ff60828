// The list of shutdown releases.
#include "runtime/ShutdownRelease.h"

#include <algorithm>
#include <vector>

namespace ovs {
namespace {

std::vector<void (*)()>& releases() {
    static std::vector<void (*)()>* list = new std::vector<void (*)()>; // lives to the end
    return *list;
}

} // namespace

void registerShutdownRelease(void (*release)()) {
    auto& list = releases();
    if (release != nullptr && std::find(list.begin(), list.end(), release) == list.end()) {
        list.push_back(release);
    }
}

void runShutdownReleases() {
    auto& list = releases();
    while (!list.empty()) {
        void (*release)() = list.back();
        list.pop_back();
        release();
    }
}

} // namespace ovs
