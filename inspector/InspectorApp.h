// FraskPdfTasks: lists the task files of the plug-in's task folder for an operator, as an
// aligned table or as JSON (-json), from the user's task folder or the one given with
// -folder. It only reads: nothing in the folder is written, locked, created or deleted.
#pragma once
#include "runtime/Application.h"

#include <string>
#include <vector>

class InspectorApp : public ovs::Application {
public:
    // Exit codes beside 0 (listed, also a missing or empty folder, damaged files included):
    // a command line the inspector does not understand, and the message number of a folder
    // that exists but cannot be read.
    static constexpr int BadCommandLine = 2001;

    InspectorApp();
    ~InspectorApp() override;

    // The base's initialisation; false (and no run) when it raises an ovs::Exception.
    bool initialise() override;
    // Reads the command line, prints the help text, an error line or the listing, and returns
    // the exit code (see BadCommandLine).
    int run() override;

    // The arguments as the command line was given them: the joined text split at blanks
    // outside double quotes, the quotes removed.
    static std::vector<std::string> splitArguments(const std::string& commandLine);
    // The help text, ending with a line feed; defaultFolder is the folder listed without -folder.
    static std::string helpText(const std::string& defaultFolder);
};
