// The directory walk's specification record.
#include "files/FileScanSpec.h"

namespace ovs {

void FileScanSpec::setFolder(const std::string& folder, bool recursive) {
    folder_ = folder;
    recursive_ = recursive;
}

void FileScanSpec::addPattern(const char* pattern, bool hasWildcards) {
    patterns_.emplace_back(pattern);
    patternFlags_.push_back(hasWildcards);
    if (hasWildcards) {
        anyWildcards_ = true;
    }
}

bool FileScanSpec::nextPattern(FileString& out) {
    if (patternCursor_ >= patterns_.size()) {
        out.clear();
        return false;
    }
    out = patterns_[patternCursor_++];
    return true;
}

void FileScanSpec::reset() {
    *this = FileScanSpec();
}

} // namespace ovs
