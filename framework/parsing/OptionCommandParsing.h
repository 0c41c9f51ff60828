// The tool's command-line parser: named options registered with kind, mandatory mark and help
// text; keyword options read by full name; bad options dropped; usage text and mandatory check.
#pragma once
#include "parsing/CommandParsing.h"
#include "parsing/OptionDesc.h"

#include <cstdint>
#include <map>
#include <memory>
#include <ostream>
#include <string>

class OptionCommandParsing : public ovs::CommandParsing {
public:
    // The text is not copied: it must outlive the parser.
    explicit OptionCommandParsing(const char* text);
    ~OptionCommandParsing() override;

    // Registers an option; a name registered before keeps its first description.
    void addOption(const std::string& name, OptionKind kind, bool mandatory, const std::string& help);
    // Builds the keyword list (names in byte-wise order, TAB-separated) and runs the loop.
    // Bad options are dropped (lastError() tells the last one); errors below 2000 pass on.
    void parseOptions();
    // The description registered under name; null for a name never registered.
    OptionDesc* findOption(const std::string& name);
    const OptionDesc* findOption(const std::string& name) const;
    // At the first mandatory option (in name order) that is not present: prints the usage
    // text and throws ovs::Exception 2001 with %1 = "Mandatory option '<name>' is missing.".
    void checkMandatory() const;
    // Writes the usage text to the console.
    void printUsage() const;
    // Writes the usage text to out.
    void writeUsage(std::ostream& out) const;

    bool parseOption() override;
    // Drops the error: returns true and parsing goes on.
    bool optionError(ovs::Exception& error) override;

    ovs::StringBase<char> description;

    const std::map<std::string, std::unique_ptr<OptionDesc>>& options() const { return options_; }
    const std::string& keywordList() const { return keywordList_; }

private:
    std::map<std::string, std::unique_ptr<OptionDesc>> options_;
    ovs::StringBase<char> keywordList_;
    std::uint32_t registrations_ = 0;
};
