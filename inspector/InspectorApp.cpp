// The inspector's run: options, the task folder, the listing.
#include "InspectorApp.h"

#include "Task.h"
#include "TaskListing.h"
#include "runtime/Console.h"

#include <ctime>

InspectorApp::InspectorApp() : Application("OV", "FraskPdfTasks") {}

InspectorApp::~InspectorApp() = default;

bool InspectorApp::initialise() {
    try {
        return Application::initialise();
    } catch (const ovs::Exception&) {
        return false;
    }
}

int InspectorApp::run() {
    ovs::Console& out = ovs::console();
    try {
        // A folder with blanks arrives as "-folder:..." in quotes: the quote moves behind the
        // colon, as the tool does for -i and -o, so that the parser reads a quoted path.
        std::string text = commandLine();
        for (const char* option : {"-folder:", "/folder:"}) {
            std::string quoted = std::string("\"") + option;
            for (std::size_t at = 0; (at = text.find(quoted, at)) != std::string::npos; at += quoted.size()) {
                text.replace(at, quoted.size(), option + std::string("\""));
            }
        }
        arguments_ = text;
        parser_ = std::make_unique<OptionCommandParsing>(arguments_.c_str());
        parser_->setPrefixCharacters("/-");
        parser_->setFollowCharacters("/-");
        parser_->description = "Lists the task files of the Veilgard PDF task folder, oldest first";
        parser_->addOption("json", OptionKind::Flag, false, "Print the list as a JSON array");
        parser_->addOption("folder", OptionKind::File, false, "The task folder to list (default: the user's)");
        parser_->parseOptions();

        const OptionDesc* folderOption = parser_->findOption("folder");
        ovs::FileString folder = folderOption->present ? folderOption->value.asPath() : Task::taskFolderLocation();
        std::vector<TaskListing> tasks = listTaskFolder(folder);
        if (parser_->findOption("json")->present) {
            out << listingJson(tasks) << std::flush;
            return 0;
        }
        out << "Task folder " << folder << ": " << tasks.size() << " task files" << std::endl;
        std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
        for (const TaskListing& task : tasks) {
            out << listingLine(task, now) << std::endl;
        }
        return 0;
    } catch (const ovs::Exception& error) {
        out << error.message() << std::endl;
        return error.number();
    }
}
