#pragma once
// Shows the busy pointer for as long as an object lives: create one at the start of a lengthy
// handler and every way out of the handler restores the pointer that was there before.

#include <Qt>

class clsMousePointer {
public:
    clsMousePointer();
    ~clsMousePointer();
    clsMousePointer(const clsMousePointer&) = delete;
    clsMousePointer& operator=(const clsMousePointer&) = delete;

    // Shows another pointer until the object ends (or the next call).
    void SetMousePointer(Qt::CursorShape pointer);

private:
    bool active_ = false;
};
