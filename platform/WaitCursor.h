// The wait cursor: shown over every window of the program while the object lives, as a long
// operation on the user-interface thread runs. Nested ones stack; the cursor before the
// outermost returns when it ends.
#pragma once

class CWaitCursor
{
public:
    // Nothing happens without a Qt application.
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    bool shown_ = false;
};
