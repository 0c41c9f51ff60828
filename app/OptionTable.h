// The tool's command-line options: the full set for encryption tasks and the reduced set for
// permission checks, in the order the usage text lists them.
#pragma once
#include "parsing/OptionCommandParsing.h"

#include <vector>

struct OptionRow {
    const char* name;
    OptionKind kind;
    bool mandatory;
    const char* help;
};

// The description at the top of the usage text (two lines).
extern const char* const usageDescription;

// Options of an encryption task.
const std::vector<OptionRow>& fullOptionSet();
// Options of a permission check (the argument text contains "readpermissions").
const std::vector<OptionRow>& permissionCheckOptionSet();

// Registers every row with OptionCommandParsing::addOption, in table order.
void registerOptions(OptionCommandParsing& parser, const std::vector<OptionRow>& rows);
