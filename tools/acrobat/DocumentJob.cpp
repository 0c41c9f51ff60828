// The stand-in's document work: input resolution, parameter checks and the PDF work proper.
#include "DocumentJob.h"
#include "MessageNumbers.h"
#include "platform/ChildProcess.h"
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Result message numbers the plug-in reports.

std::string upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// Case-insensitive match of a name against a pattern with '*' and '?'.
bool matches(const std::string& pattern, const std::string& name) {
    std::string p = upper(pattern);
    std::string n = upper(name);
    std::size_t pi = 0, ni = 0, star = std::string::npos, resume = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            resume = ni;
        } else if (star != std::string::npos) {
            pi = star + 1;
            ni = ++resume;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') {
        ++pi;
    }
    return pi == p.size();
}

std::string unquoted(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '"')) {
        text.pop_back();
    }
    std::size_t start = text.find_first_not_of(" \"");
    return start == std::string::npos ? std::string() : text.substr(start);
}

fs::path native(const std::string& windowsPath) {
    return fs::path(ovs::platform::nativePathOf(windowsPath));
}

// Splits a Windows path into folder and last component.
void splitPath(const std::string& path, std::string& folder, std::string& name) {
    std::size_t cut = path.find_last_of("\\/");
    folder = cut == std::string::npos ? std::string(".") : path.substr(0, cut == 2 && path[1] == ':' ? 3 : cut);
    name = cut == std::string::npos ? path : path.substr(cut + 1);
}

struct Permissions {
    std::string print = "none";
    int modifyLevel = 0; // none, assembly, form, annotate, all
    bool extract = false;
};

bool parsePermissions(const std::string& text, Permissions& result) {
    static const std::set<std::string> known{"PRINT_LOW",    "PRINT_HIGH",    "EDIT_INSERT", "EDIT_FILLANDSIGN",
                                             "EDIT_COMMENT", "EDIT_ANY",      "COPY",        "ACCESSIBILITY",
                                             "PRTSCREEN",    "EXT_PRTSCREEN", "READER_ONLY", "EXT_DEBUGCHECK"};
    std::string word;
    std::string all = upper(text) + ",";
    for (char c : all) {
        if (c == ',' || c == ';' || c == '|' || c == '+' || c == ' ') {
            if (word.empty()) {
                continue;
            }
            if (known.count(word) == 0) {
                return false;
            }
            if (word == "PRINT_HIGH") {
                result.print = "full";
            } else if (word == "PRINT_LOW" && result.print != "full") {
                result.print = "low";
            } else if (word == "EDIT_ANY") {
                result.modifyLevel = std::max(result.modifyLevel, 4);
            } else if (word == "EDIT_COMMENT") {
                result.modifyLevel = std::max(result.modifyLevel, 3);
            } else if (word == "EDIT_FILLANDSIGN") {
                result.modifyLevel = std::max(result.modifyLevel, 2);
            } else if (word == "EDIT_INSERT") {
                result.modifyLevel = std::max(result.modifyLevel, 1);
            } else if (word == "COPY") {
                result.extract = true;
            }
            word.clear();
        } else {
            word.push_back(c);
        }
    }
    return true;
}

bool looksLikePdf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char head[5] = {};
    in.read(head, 5);
    return in.gcount() == 5 && std::string(head, 5) == "%PDF-";
}

// Runs qpdf; returns its exit code, or -1 where it cannot be run at all.
int runQpdf(const std::string& qpdf, const std::vector<std::string>& arguments, std::string* output = nullptr) {
    if (ovs::platform::isWine()) {
        return -1;
    }
    ovs::platform::ChildProcess::Options options;
    options.program = qpdf;
    options.arguments = arguments;
    try {
        std::string shown;
        int code = static_cast<int>(ovs::platform::runProgram(options, shown));
        if (output) {
            *output = shown;
        }
        return code;
    } catch (const std::runtime_error&) {
        return -1;
    }
}

const char* const ModifyLevels[] = {"none", "assembly", "form", "annotate", "all"};

// Reads the output back: the lines qpdf --show-encryption must show for the permissions.
std::uint32_t verify(const std::string& qpdf, const fs::path& out, const Permissions& permissions,
                     std::vector<std::string>& notes) {
    const struct {
        const char* what;
        bool allowed;
    } expected[] = {
        {"print low resolution", permissions.print != "none"},
        {"print high resolution", permissions.print == "full"},
        {"modify document assembly", permissions.modifyLevel >= 1},
        {"modify forms", permissions.modifyLevel >= 2},
        {"modify annotations", permissions.modifyLevel >= 3},
        {"modify other", permissions.modifyLevel >= 4},
        {"extract for any purpose", permissions.extract},
    };
    std::string shown;
    if (runQpdf(qpdf, {"--show-encryption", out.string()}, &shown) != 0) {
        notes.push_back("check of " + out.filename().string() + " failed: qpdf --show-encryption could not read it");
        return ovs::msg::EncryptionErrors;
    }
    std::uint32_t result = 0;
    for (const auto& line : expected) {
        std::string wanted = std::string(line.what) + (line.allowed ? ": allowed" : ": not allowed");
        if (shown.find(wanted + "\n") == std::string::npos && shown.find(wanted + "\r\n") == std::string::npos) {
            notes.push_back("check of " + out.filename().string() + " failed: asked for \"" + wanted +
                            "\", qpdf shows otherwise");
            result = ovs::msg::EncryptionErrors;
        }
    }
    if (result == 0) {
        notes.push_back("checked " + out.filename().string() + ": encrypted, print " + permissions.print + ", modify " +
                        ModifyLevels[permissions.modifyLevel] + ", extract " + (permissions.extract ? "yes" : "no"));
    }
    return result;
}

std::uint32_t encrypt(const std::string& qpdf, const fs::path& in, const fs::path& out, const Permissions& permissions,
                      std::vector<std::string>& notes) {
    int code =
        runQpdf(qpdf, {"--encrypt", "", "veilgard", "256", "--print=" + permissions.print,
                       std::string("--modify=") + ModifyLevels[permissions.modifyLevel],
                       std::string("--extract=") + (permissions.extract ? "y" : "n"), "--", in.string(), out.string()});
    if (code == 0 || code == 3) {
        return verify(qpdf, out, permissions, notes);
    }
    if (code > 0) {
        return ovs::msg::EncryptionErrors;
    }
    std::error_code error;
    fs::copy_file(in, out, fs::copy_options::overwrite_existing, error);
    notes.push_back(std::string("qpdf cannot be run here (") + (ovs::platform::isWine() ? "Wine" : "not found") +
                    "): " + out.filename().string() + " is a plain copy, neither encrypted nor checked");
    return error ? ovs::msg::EncryptionErrors : 0;
}

// A document whose permissions stand in the way: already encrypted.
bool permissionsForbid(const std::string& qpdf, const fs::path& document) {
    // --requires-password: 0 password needed, 2 not encrypted, 3 encrypted without password.
    int code = runQpdf(qpdf, {"--requires-password", document.string()});
    return code == 0 || code == 3;
}

} // namespace

JobOutcome runDocumentJob(const DocumentJob& job, std::uint32_t documentMs,
                          const std::function<void(std::uint32_t)>& progress) {
    JobOutcome outcome;
    Permissions permissions;
    if (!parsePermissions(job.permissions, permissions)) {
        outcome.lastError = ovs::msg::UnknownPermission;
        return outcome;
    }
    std::string input = unquoted(job.input);
    std::string output = unquoted(job.output);
    if (input.empty()) {
        outcome.lastError = ovs::msg::DocumentNotFound;
        return outcome;
    }

    // The documents and, for each, its output file.
    std::vector<std::pair<fs::path, fs::path>> documents;
    std::string folder, name;
    splitPath(input, folder, name);
    std::error_code error;
    bool wildcard = name.find_first_of("*?") != std::string::npos;
    bool folderInput = !wildcard && fs::is_directory(native(input), error);
    fs::path outputPath = native(output);
    bool outputIsFolder = !output.empty() && fs::is_directory(outputPath, error);
    if (wildcard || folderInput) {
        if (!job.checkPermissions && !outputIsFolder) {
            outcome.lastError = ovs::msg::OutputNotFolder;
            return outcome;
        }
        fs::path searched = folderInput ? native(input) : native(folder);
        std::string pattern = folderInput ? std::string("*.pdf") : name;
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(searched, error)) {
            if (entry.is_regular_file(error) && matches(pattern, entry.path().filename().string())) {
                found.push_back(entry.path());
            }
        }
        std::sort(found.begin(), found.end());
        for (const fs::path& document : found) {
            documents.emplace_back(document, outputPath / document.filename());
        }
    } else if (fs::is_regular_file(native(input), error)) {
        fs::path document = native(input);
        documents.emplace_back(document, outputIsFolder ? outputPath / document.filename() : outputPath);
    }
    if (documents.empty()) {
        outcome.lastError = ovs::msg::DocumentNotFound;
        return outcome;
    }

    for (const auto& [document, target] : documents) {
        Sleep(documentMs);
        if (!looksLikePdf(document)) {
            outcome.lastError = ovs::msg::DocumentNotOpened;
            return outcome;
        }
        if (job.checkPermissions) {
            if (permissionsForbid(job.qpdf, document)) {
                outcome.lastError = ovs::msg::PermissionsForbid;
                return outcome;
            }
        } else if (std::uint32_t failure = encrypt(job.qpdf, document, target, permissions, outcome.notes);
                   failure != 0) {
            outcome.lastError = failure;
            return outcome;
        }
        ++outcome.documents;
        progress(outcome.documents);
    }
    return outcome;
}
