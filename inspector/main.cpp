// Process entry of FraskPdfTasks, the task-folder inspector.
#include "InspectorApp.h"

int main(int argc, char** argv) {
    return ovs::runProcess([]() -> ovs::Application* { return new InspectorApp; }, argc, argv);
}
