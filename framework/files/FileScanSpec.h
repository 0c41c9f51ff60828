// What a directory walk visits: a start folder, name patterns (each with a wildcard bit)
// and a recursion flag. The command-line file-list reader fills the same record.
#pragma once
#include "strings/FileString.h"

#include <cstdint>
#include <vector>

namespace ovs {

class FileScanSpec {
public:
    void setFolder(const std::string& folder, bool recursive);
    // A null pattern counts as empty; a set flag makes anyWildcards() true.
    void addPattern(const char* pattern, bool hasWildcards);
    // The pattern at the cursor, advancing it; false (and out emptied) past the last one.
    bool nextPattern(FileString& out);
    void reset();

    bool recursive() const { return recursive_; }
    bool anyWildcards() const { return anyWildcards_; }
    std::uint32_t patternCursor() const { return patternCursor_; }
    void setPatternCursor(std::uint32_t cursor) { patternCursor_ = cursor; }
    const FileString& folder() const { return folder_; }
    const std::vector<FileString>& patterns() const { return patterns_; }
    const std::vector<bool>& patternFlags() const { return patternFlags_; }

private:
    bool recursive_ = false;
    bool anyWildcards_ = false;
    std::uint32_t patternCursor_ = 0;
    FileString folder_;
    std::vector<FileString> patterns_;
    std::vector<bool> patternFlags_;
};

} // namespace ovs
