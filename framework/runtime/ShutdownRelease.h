// Releases that the application's shutdown runs after the console is gone: parts of the
// framework that keep process-wide records of their own (the program's own process record
// and the process-information libraries) register a function here instead of the runtime
// knowing them.
#pragma once

namespace ovs {

// Adds a release function; the shutdown calls each registered function once, last first,
// and forgets them. Registering the same function twice keeps one entry.
void registerShutdownRelease(void (*release)());
// Runs and forgets every registered release (step 4 of the shutdown).
void runShutdownReleases();

} // namespace ovs
