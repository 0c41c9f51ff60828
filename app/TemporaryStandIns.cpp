// Stand-ins for classes that other parts of the tool provide; see TemporaryStandIns.h.
#include "TemporaryStandIns.h"

#include "runtime/Exception.h"

// --- Temporary stand-in until Acrobat (app/Acrobat.h) lands ---

Acrobat::~Acrobat() = default;

bool Acrobat::isRunning() {
    return false;
}

bool Acrobat::start() {
    throw ovs::Exception(3002);
}

void Acrobat::restart() {
    start();
}
