// The option tables; the help texts are shown exactly as written here.
#include "OptionTable.h"

const char* const usageDescription = "Command line tool for creating encrypted PDF files \n"
                                     "with Lockspire or Quorlin";

namespace {

const char* const readPermissionsHelp =
    "Check if the permissions of the given PDF document allows the encryption with Veilgard PDF";
const char* const inputHelp = "Input file/folder. Should be the last parameter in the command line.";
const char* const clearHelp = "Clear existing task files:ALL for all, FINISHED for all finished tasks";
const char* const startAcrobatHelp = "Starts Adobe Acrobat, if it is not running";
const char* const restartAcrobatHelp = "Tries to restart acrobat every X encrypted documents";

} // namespace

const std::vector<OptionRow>& fullOptionSet() {
    static const std::vector<OptionRow> rows = {
        {"f", OptionKind::Num, true, "FirmCode"},
        {"p", OptionKind::Num, true, "ProductCode"},
        {"cf", OptionKind::Num, false, "FeatureCode"},
        {"k", OptionKind::Str, true, "Hardware (QL=Quorlin, LS=Lockspire)"},
        {"alg", OptionKind::Num, false, "Algorithm Version (2,3,4,5) (Quorlin only)"},
        {"ad", OptionKind::Flag, false, "Check Activation Date (Lockspire only)"},
        {"ed", OptionKind::Flag, false, "Check Expiration Date"},
        {"nw", OptionKind::Flag, false, "Network Access"},
        {"uco", OptionKind::Flag, false, "Decrease UnitCounter on open (Lockspire only)"},
        {"ucp", OptionKind::Flag, false, "Decrease UnitCounter on print (Lockspire only)"},
        {"comp", OptionKind::Num, false, "Set Acrobat compatiblity"},
        {"perm", OptionKind::Str, false,
         "Specify permissions: PRINT_LOW, PRINT_HIGH, EDIT_INSERT, EDIT_FILLANDSIGN, EDIT_COMMENT, EDIT_ANY, COPY, "
         "ACCESSIBILITY, PRTSCREEN, EXT_PRTSCREEN, READER_ONLY, EXT_DEBUGCHECK"},
        {"i", OptionKind::FileList, true, inputHelp},
        {"o", OptionKind::File, true, "Output file/folder"},
        {"additionalsystems", OptionKind::Str, false,
         "A string with a list of additional copy protection systems. The systems are separated through "
         "semicolon.\n"
         "              A system definition could be LS,FC,PC[,FeatureCode] or QL,FC,PC[,AlgorithmVersion]. \n"
         "              Sample: -additionalsystems:\"LS,10,13,1;QL,10,15,4;LS,10,14\""},
        {"usermessage", OptionKind::Str, false, "The filename of the usermessage dll without extension"},
        {"la", OptionKind::Str, false,
         "Specify license access options, if network access is enabled: USER_LIMIT, NO_USER_LIMIT, EXCLUSIVE, "
         "STATION_SHARE, CONVENIENT"},
        {"readpermissions", OptionKind::Flag, false, readPermissionsHelp},
        {"clear", OptionKind::Str, false, clearHelp},
        {"startacrobat", OptionKind::Flag, false, startAcrobatHelp},
        {"restartacrobatevery", OptionKind::Num, false, restartAcrobatHelp},
    };
    return rows;
}

const std::vector<OptionRow>& permissionCheckOptionSet() {
    static const std::vector<OptionRow> rows = {
        {"readpermissions", OptionKind::Flag, true, readPermissionsHelp},
        {"i", OptionKind::FileList, true, inputHelp},
        {"clear", OptionKind::Str, false, clearHelp},
        {"startacrobat", OptionKind::Flag, false, startAcrobatHelp},
        {"restartacrobatevery", OptionKind::Num, false, restartAcrobatHelp},
    };
    return rows;
}

void registerOptions(OptionCommandParsing& parser, const std::vector<OptionRow>& rows) {
    for (const OptionRow& row : rows) {
        parser.addOption(row.name, row.kind, row.mandatory, row.help);
    }
}
