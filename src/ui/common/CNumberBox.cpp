#include "CNumberBox.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

CNumberBox::CNumberBox(QWidget* parent) : QAbstractSpinBox(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // the box does its own arithmetic: the base class never interprets the text
    setKeyboardTracking(false);
    setAccelerated(false);
    connect(lineEdit(), &QLineEdit::textChanged, this, &CNumberBox::OnTextChanged);
}

CNumberBox::~CNumberBox() {
    Unbind();
}

void CNumberBox::Bind(qint32* field, const ValueRange* format, LimitsFn limits) {
    m_pField = field;
    m_pFormat = format;
    m_fnLimits = std::move(limits);
}

void CNumberBox::Unbind() {
    m_pField = nullptr;
    m_pFormat = nullptr;
    m_fnLimits = nullptr;
    disconnect(this, &CNumberBox::TextFiltered, nullptr, nullptr);
    disconnect(this, &CNumberBox::Committed, nullptr, nullptr);
}

void CNumberBox::Show(qint32 value) {
    if (m_pFormat)
        lineEdit()->setText(m_pFormat->ValueToText(value));
}

qint32 CNumberBox::TypedValue() const {
    return m_pFormat ? m_pFormat->TextToValue(lineEdit()->text()) : 0;
}

void CNumberBox::Commit(int direction) {
    if (!m_pField || !m_pFormat || !m_fnLimits)
        return;
    const qint32 typed = TypedValue();
    const qint32 v = NumberEntry::NextValue(typed, direction, m_fnLimits(typed, direction));
    *m_pField = v;
    Show(v);
    // what the box shows is what the record holds
    *m_pField = TypedValue();
    emit Committed(*m_pField, direction);
}

void CNumberBox::stepBy(int steps) {
    if (steps == 0)
        return;
    Commit(steps > 0 ? 1 : -1);
    if (hasFocus())
        selectAll();
}

QAbstractSpinBox::StepEnabled CNumberBox::stepEnabled() const {
    // the arrows always answer; the bounds hold the value where it is
    return m_pField ? (StepUpEnabled | StepDownEnabled) : StepNone;
}

void CNumberBox::focusInEvent(QFocusEvent* event) {
    QAbstractSpinBox::focusInEvent(event);
    selectAll();
}

void CNumberBox::focusOutEvent(QFocusEvent* event) {
    Commit(0);
    QAbstractSpinBox::focusOutEvent(event);
}

void CNumberBox::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // the typed value counts before the dialog's default button acts
        Commit(0);
        event->ignore();
        return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // an up-down steps by one only, with the arrow keys
        event->ignore();
        return;
    default:
        QAbstractSpinBox::keyPressEvent(event);
    }
}

void CNumberBox::OnTextChanged(const QString& text) {
    QLineEdit* edit = lineEdit();
    int selStart = edit->cursorPosition();
    int selEnd = selStart;
    if (edit->hasSelectedText()) {
        selStart = edit->selectionStart();
        selEnd = edit->selectionEnd();
    }
    const NumberEntry::Filtered filtered = NumberEntry::Filter(text, selStart, selEnd);
    if (!filtered.changed) {
        emit TextFiltered(text);
        return;
    }
    // the clean text comes back through here and is announced then
    edit->setText(filtered.text);
    if (filtered.selStart == filtered.selEnd)
        edit->setCursorPosition(filtered.selEnd);
    else
        edit->setSelection(filtered.selStart, filtered.selEnd - filtered.selStart);
}
