// A start-up object for tests that compose messages: it names the program "FraskPdfCmd" and
// sets the prefix "OV" without running an application.
#pragma once
#include "runtime/StartUp.h"

namespace ovs::test {

class TestStartUp : public ovs::StartUp {
public:
    TestStartUp() : ovs::StartUp("OV", "FraskPdfCmd") { setInstanceModule(GetModuleHandleA(nullptr)); }
    ovs::FileString programPath() const override { return ovs::FileString(); }
    bool initialise() override { return true; }
    bool finish() override { return true; }
};

} // namespace ovs::test
