// FraskPdfTasks: lists the task files of the plug-in's task folder for an operator, one line
// each or as JSON (-json), from the user's task folder or the one given with -folder. It only
// reads: nothing in the folder is written, locked, created or deleted.
#pragma once
#include "parsing/OptionCommandParsing.h"
#include "runtime/Application.h"

#include <memory>

class InspectorApp : public ovs::Application {
public:
    InspectorApp();
    ~InspectorApp() override;

    // The base's initialisation; false (and no run) when it raises an ovs::Exception.
    bool initialise() override;
    // Parses the command line and prints the listing. Returns 0 when the folder could be
    // read (damaged task files included), else the number of the error whose message line
    // it printed (1002 for a missing folder).
    int run() override;

private:
    ovs::StringBase<char> arguments_; // the parser reads it in place
    std::unique_ptr<OptionCommandParsing> parser_;
};
