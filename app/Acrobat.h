// Control of the Acrobat process ("Acrobat.exe") in which the Veilgard PDF plug-in runs:
// where it is installed, whether it runs, starting it, stopping it and restarting it.
#pragma once
#include "strings/FileString.h"

#include <string>

class Acrobat {
public:
    Acrobat();
    virtual ~Acrobat();
    Acrobat(const Acrobat&) = delete;
    Acrobat& operator=(const Acrobat&) = delete;

    // Where Acrobat.exe is installed: the default value of Acrobat's App Paths key when it
    // names an existing file, else the plug-in's "InstallFolder" with its last element
    // replaced by "Acrobat.exe" (unchecked), else empty. On 64-bit Windows the keys below
    // Wow6432Node are read. Never throws.
    ovs::FileString executablePath();

    // Whether a process with image name "Acrobat.exe" other than this program runs.
    bool isRunning();

    // Makes sure Acrobat runs: prints "Acrobat already running" when it does, else prints
    // "Starting acrobat, please wait", launches it and waits (2 s, then up to 30 checks 2 s
    // apart). Returns true. Throws ovs::Exception 3002 when no Acrobat.exe is installed
    // (before printing anything) or when it does not appear in time.
    bool start();

    // Terminates the first Acrobat.exe found and waits until that process has ended,
    // printing "Stopping Acrobat.exe - try N" before each of at most four attempts.
    // Returns the last TerminateProcess result (false when none ran). Throws
    // ovs::Exception 3709 ("Unable to stop acrobat.exe process.") when it does not end.
    bool stop();

    // stop(), then start(); throws as they do.
    void restart();
};

// The text of a registry value (empty name: the default value) of the key at the full
// path (root name first), opened for reading and writing in the 32-bit view and created
// when it cannot be opened. Any failure gives the text read so far, normally empty; no
// error leaves this function.
std::string readRegistryText(const std::string& keyPath, const std::string& valueName);
