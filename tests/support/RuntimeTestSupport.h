// A start-up object for tests that compose messages: it names the program "FraskPdfCmd" and
// sets the prefix "OV" without running an application; and the check that a call throws a
// framework exception with a given number.
#pragma once
#include "runtime/Exception.h"
#include "runtime/StartUp.h"

#include <gtest/gtest.h>

#include <functional>

namespace ovs::test {

class TestStartUp : public ovs::StartUp {
public:
    TestStartUp() : ovs::StartUp("OV", "FraskPdfCmd") { setInstanceModule(GetModuleHandleA(nullptr)); }
    ovs::FileString programPath() const override { return ovs::FileString(); }
    bool initialise() override { return true; }
    bool finish() override { return true; }
};

// Runs the call and returns the exception of the given kind it throws; fails the test when it
// throws nothing or the number differs.
template <class Error = ovs::Exception> Error expectException(int number, const std::function<void()>& call) {
    try {
        call();
    } catch (const Error& error) {
        EXPECT_EQ(number, error.number()) << error.message();
        return error;
    }
    ADD_FAILURE() << "no exception, expected " << number;
    return Error();
}

} // namespace ovs::test
