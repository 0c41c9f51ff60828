// The inspector's run: its command line, the task folder, the listing.
#include "InspectorApp.h"

#include "TaskFile.h"
#include "TaskListing.h"
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"
#include "runtime/Console.h"

#include <ctime>

namespace {

// What the command line asks for.
struct Request {
    bool help = false;
    bool json = false;
    bool folderGiven = false;
    std::string folder;
    std::string error; // the first argument not understood, with what is wrong with it
};

// An option name as typed, without its prefix and in lower case; empty when the argument does
// not start with "-" or "/".
std::string optionName(const std::string& argument) {
    if (argument.size() < 2 || (argument[0] != '-' && argument[0] != '/')) {
        return {};
    }
    std::string name =
        argument.substr(1, argument.find(':') == std::string::npos ? std::string::npos : argument.find(':') - 1);
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return name;
}

Request readCommandLine(const std::vector<std::string>& arguments) {
    Request request;
    for (const std::string& argument : arguments) {
        std::string name = optionName(argument);
        bool hasValue = argument.find(':') != std::string::npos;
        if ((name == "help" || name == "h" || name == "?") && !hasValue) {
            request.help = true;
        } else if (name == "json" && !hasValue) {
            request.json = true;
        } else if (name == "folder" && hasValue && argument.size() > argument.find(':') + 1) {
            request.folderGiven = true;
            request.folder = argument.substr(argument.find(':') + 1);
        } else if (name == "folder") {
            request.error = "option '" + argument + "' needs a folder: -folder:FOLDER";
        } else {
            request.error = "unknown option '" + argument + "'";
        }
        if (!request.error.empty()) {
            break;
        }
    }
    return request;
}

// The folder as the framework names it. On POSIX a Unix path ("/tmp/x") is taken as the host's
// own path, which the framework calls "Z:\tmp\x": the option's value is a folder, never an option.
ovs::FileString folderOf(const std::string& typed) {
    std::string path = typed;
    if (ovs::platform::isPosixSubstitute() && !path.empty() && path[0] == '/') {
        path = ovs::platform::windowsPathOf(path);
    }
    return ovs::FileString(path).absolute();
}

} // namespace

InspectorApp::InspectorApp() : Application("OV", "FraskPdfTasks") {}

InspectorApp::~InspectorApp() = default;

bool InspectorApp::initialise() {
    try {
        return Application::initialise();
    } catch (const ovs::Exception&) {
        return false;
    }
}

std::vector<std::string> InspectorApp::splitArguments(const std::string& commandLine) {
    std::vector<std::string> arguments;
    std::string current;
    bool quoted = false;
    bool started = false;
    for (char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            started = true;
        } else if (c == ' ' && !quoted) {
            if (started) {
                arguments.push_back(current);
            }
            current.clear();
            started = false;
        } else {
            current.push_back(c);
            started = true;
        }
    }
    if (started) {
        arguments.push_back(current);
    }
    return arguments;
}

std::string InspectorApp::helpText(const std::string& defaultFolder) {
    return "FraskPdfTasks lists the task files of the Veilgard PDF task folder, oldest first.\n"
           "It only reads: it is safe next to a running job.\n"
           "\n"
           "Usage: FraskPdfTasks [-json] [-folder:FOLDER]\n"
           "  -json           print the list as a JSON array\n"
           "  -folder:FOLDER  list FOLDER instead of the user's task folder, which is\n"
           "                  " +
           defaultFolder +
           "\n"
           "  -help, -h, /?   print this text\n"
           "\n"
           "Exit codes: 0 the folder was listed (also when it does not exist or is empty, and\n"
           "when it holds damaged files); 2001 a command line it does not understand; the\n"
           "message number of the error when the folder cannot be read. A POSIX shell sees\n"
           "a code modulo 256 (2001 as 209).\n";
}

int InspectorApp::run() {
    ovs::Console& out = ovs::console();
    const Request request = readCommandLine(splitArguments(commandLine()));
    const std::string defaultFolder = ovs::platform::nativePathOf(taskfile::folderLocation());
    if (!request.error.empty()) {
        out << "FraskPdfTasks: " << request.error << "; FraskPdfTasks -help lists the options." << std::endl;
        return BadCommandLine;
    }
    if (request.help) {
        out << helpText(defaultFolder) << std::flush;
        return 0;
    }
    try {
        ovs::FileString folder = request.folderGiven ? folderOf(request.folder) : taskfile::folderLocation();
        const std::string shown = ovs::platform::nativePathOf(folder);
        DWORD attributes = GetFileAttributesA(folder.empty() ? "." : folder.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES &&
            (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND)) {
            // No task was ever submitted on this account (or to this folder).
            if (request.json) {
                out << "[]\n" << std::flush;
            } else {
                out << listingTitle(shown, {}) << " (the folder does not exist)" << std::endl;
            }
            return 0;
        }
        std::vector<TaskListing> tasks = listTaskFolder(folder);
        if (request.json) {
            out << listingJson(tasks) << std::flush;
            return 0;
        }
        out << listingTitle(shown, tasks) << "\n"
            << listingTable(tasks, static_cast<std::int64_t>(std::time(nullptr))) << std::flush;
        return 0;
    } catch (const ovs::Exception& error) {
        out << error.message() << std::endl;
        return error.number();
    }
}
