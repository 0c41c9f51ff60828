// The work the plug-in does for one task: resolve the input specification, check the
// parameters, and encrypt (or check the permissions of) every document it names.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

struct DocumentJob {
    std::string input;       // a file, a folder or a wildcard pattern (Windows form)
    std::string output;      // a file or a folder (Windows form)
    std::string permissions; // keywords separated by ',', ';', '|', '+' or blanks
    bool checkPermissions = false;
};

struct JobOutcome {
    std::uint32_t lastError = 0; // a result message number, 0 when every document was done
    std::uint32_t documents = 0; // documents processed before the end or the error
};

// Runs the job; progress is called with the count after every document, and each document
// takes at least documentMs. On POSIX the documents are encrypted with qpdf; where qpdf
// cannot be run (under Wine) an output is a plain copy of its input.
JobOutcome runDocumentJob(const DocumentJob& job, std::uint32_t documentMs,
                          const std::function<void(std::uint32_t)>& progress);
