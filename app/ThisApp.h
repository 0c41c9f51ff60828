// FraskPdfCmd's application class.
#pragma once
#include "runtime/Application.h"

class ThisApp : public ovs::Application {
public:
    ThisApp();
    ~ThisApp() override;

    // Prints the banner; returns the exit code.
    int run() override;
};
