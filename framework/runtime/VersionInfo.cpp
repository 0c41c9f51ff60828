// The version banner texts.
#include "runtime/VersionInfo.h"
#include "MessageNumbers.h"
#include "runtime/Messages.h"
#include "strings/NumberText.h"

#include <algorithm>

namespace ovs {

const char* const makerName = "ORVA-SYSTEMS";

namespace {

StringBase<char> levelText(int level) {
    if (level >= 1 && level <= 399) {
        // Concept, Alpha, Beta and Gamma follow each other.
        return loadMessage(msg::StageConcept + level / 100) + " (" + loadMessage(msg::Level) + " " +
               decimalText(level % 100) + ")";
    }
    if (level >= 501 && level <= 526) {
        return StringBase<char>(1, static_cast<char>('a' + (level - 501)));
    }
    return StringBase<char>();
}

StringBase<char> dateText(int year, int month, int day) {
    StringBase<char> format = loadMessage(msg::DateOrder);
    if (format.empty()) {
        format = "%1-%2-%3";
    }
    StringBase<char> names = loadMessage(msg::MonthNames);
    StringBase<char> monthText =
        names.empty() ? decimalText(month)
                      : StringBase<char>(names.substr(std::min<std::size_t>(3 * (month - 1), names.size()), 3));
    return formatMessage(format.c_str(), decimalText(year).c_str(), monthText.c_str(), decimalText(day, 2).c_str());
}

} // namespace

VersionInfo::VersionInfo(int major, int minor, int build, int level, int buildYear, int buildMonth, int buildDay,
                         int firstYear) {
    if (buildYear < 100) {
        buildYear += 2000;
    }
    if (firstYear < 70) {
        firstYear += 2000;
    } else if (firstYear < 100) {
        firstYear += 1900;
    }

    version_ = decimalText(major) + "." + decimalText(minor, 2) + levelText(level);
    versionBuild_ = build == 0 ? version_ : version_ + " (" + loadMessage(msg::Build) + decimalText(build) + ")";
    if (buildMonth <= 0) {
        versionOfDate_ = version_;
        versionOfDateBuild_ = versionBuild_;
        return;
    }
    versionOfDate_ =
        loadAndFormat(msg::VersionOfDate, version_.c_str(), dateText(buildYear, buildMonth, buildDay).c_str());
    versionOfDateBuild_ = versionOfDate_ + " (" + loadMessage(msg::Build) + " " + decimalText(build) + ")";
    if (firstYear != buildYear) {
        rightsNotice_ = loadAndFormat(msg::RightsYears, decimalText(firstYear).c_str(), decimalText(buildYear).c_str());
    } else {
        rightsNotice_ = loadAndFormat(msg::RightsOneYear, decimalText(buildYear).c_str());
    }
    rightsNotice_ += " ";
    rightsNotice_ += makerName;
}

} // namespace ovs
