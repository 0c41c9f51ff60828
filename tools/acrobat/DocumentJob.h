// The work the plug-in does for one task: resolve the input specification, check the
// parameters, and encrypt (or check the permissions of) every document it names.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct DocumentJob {
    std::string input;       // a file, a folder or a wildcard pattern (Windows form)
    std::string output;      // a file or a folder (Windows form)
    std::string permissions; // keywords separated by ',', ';', '|', '+' or blanks
    bool checkPermissions = false;
    std::string qpdf = "qpdf"; // the qpdf program: a bare name from the search path, or a path
};

struct JobOutcome {
    std::uint32_t lastError = 0;    // a result message number, 0 when every document was done
    std::uint32_t documents = 0;    // documents processed before the end or the error
    std::vector<std::string> notes; // lines for the stand-in's log: what each output was checked for
};

// Runs the job; progress is called with the count after every document, and each document
// takes at least documentMs. On POSIX the documents are encrypted with qpdf, and every output
// is read back with qpdf --show-encryption: permissions other than the ones asked for are
// error 3505, with the difference in the notes. Where qpdf cannot be run (under Wine) an output
// is a plain copy of its input, and a note says that it was neither encrypted nor checked.
JobOutcome runDocumentJob(const DocumentJob& job, std::uint32_t documentMs,
                          const std::function<void(std::uint32_t)>& progress);
