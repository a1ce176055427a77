#pragma once

// The wait cursor while the program works without the operator: the instrument written,
// a report made, the start-up. Lifted early (Release) while the operator is asked
// something, and put back (Again); it never takes off a cursor it did not put up.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

    void Release();
    void Again();

private:
    bool m_bOn = false;
};
