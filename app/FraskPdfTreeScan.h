// Binds the directory tree scan to a visitor: every file the scan finds is handed to the
// visitor's visit operation with its full path. The clear mode uses it with TaskDeleter.
#pragma once
#include "files/FileTreeScan.h"

template <class Visitor> class FraskPdfTreeScan : public ovs::FileTreeScan {
public:
    // The visitor is not owned and must outlive the scan's walk.
    explicit FraskPdfTreeScan(Visitor* visitor) : visitor_(visitor) {}
    ~FraskPdfTreeScan() override = default;

protected:
    // The scan's current path is the found file's full path.
    void fileFound(const ovs::FileString&) override { visitor_->visit(path()); }

private:
    Visitor* visitor_;
};
