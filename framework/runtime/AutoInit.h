// Registered initialisers: objects created during static initialisation whose initialise
// step the application runs in registration order and whose clean-up the shutdown runs
// from last to first.
#pragma once
#include <memory>

namespace ovs {

class AutoInitBase {
public:
    AutoInitBase(); // appends this object to the process-wide list
    virtual ~AutoInitBase();
    AutoInitBase(const AutoInitBase&) = delete;
    AutoInitBase& operator=(const AutoInitBase&) = delete;

    virtual void initialise() = 0;
    virtual void cleanUp() = 0;

    // Runs initialise of every registered object in registration order.
    static void initialiseAll();
    // From last to first: clean up, then delete; then the list itself.
    static void destroyAll();
};

// Owns one T, created by initialise (only if there is none yet) and destroyed by clean-up.
template <class T> class AutoInit : public AutoInitBase {
public:
    void initialise() override {
        if (!object_) {
            object_ = std::make_unique<T>();
        }
    }
    void cleanUp() override { object_.reset(); }
    // The T, or null before initialise and after clean-up.
    T* get() const { return object_.get(); }

private:
    std::unique_ptr<T> object_;
};

} // namespace ovs
