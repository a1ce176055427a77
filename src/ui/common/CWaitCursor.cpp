#include "CWaitCursor.h"

#include <QApplication>

CWaitCursor::CWaitCursor() {
    Again();
}

CWaitCursor::~CWaitCursor() {
    Release();
}

void CWaitCursor::Release() {
    if (m_bOn)
        QApplication::restoreOverrideCursor();
    m_bOn = false;
}

void CWaitCursor::Again() {
    if (!m_bOn)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    m_bOn = true;
}
