// Process entry of FraskPdfCmd: the application base runs ThisApp and turns its result or
// an escaping exception into the exit code.
#include "ThisApp.h"

int main(int argc, char** argv) {
    return ovs::runProcess([]() -> ovs::Application* { return new ThisApp; }, argc, argv);
}
