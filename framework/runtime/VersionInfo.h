// The version banner texts of a program, built once from its version data and the
// message table (texts 55312 to 55329).
#pragma once
#include "strings/StringBase.h"

namespace ovs {

// The maker named after the rights notice.
extern const char* const makerName;

class VersionInfo {
public:
    // Years below 100 are completed: build year + 2000; first year + 2000 below 70, else + 1900.
    VersionInfo(int major, int minor, int build, int level, int buildYear, int buildMonth, int buildDay, int firstYear);

    // "21.02", with the level text appended ("21.02Beta (Level 50)", "21.02a").
    const StringBase<char>& version() const { return version_; }
    // "Version 21.02 of Feb/17/2021"; the version alone when the month is 0 or less.
    const StringBase<char>& versionOfDate() const { return versionOfDate_; }
    // "21.02 (Build4548)"; the version alone when the build is 0.
    const StringBase<char>& versionBuild() const { return versionBuild_; }
    // "Version 21.02 of Feb/17/2021 (Build 4548)"; versionBuild when the month is 0 or less.
    const StringBase<char>& versionOfDateBuild() const { return versionOfDateBuild_; }
    // The rights notice for the first to the build year followed by the maker's name;
    // empty when the month is 0 or less.
    const StringBase<char>& rightsNotice() const { return rightsNotice_; }

private:
    StringBase<char> version_;
    StringBase<char> versionOfDate_;
    StringBase<char> versionBuild_;
    StringBase<char> versionOfDateBuild_;
    StringBase<char> rightsNotice_;
};

} // namespace ovs
