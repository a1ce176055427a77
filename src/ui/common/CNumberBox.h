#pragma once

#include "data/NumberEntry.h"
#include "data/ValueRange.h"

#include <QAbstractSpinBox>
#include <functional>

// A box for one physical value of a record, with its up-down arrows. The text shows the
// value through a ValueRange; only digits and one point can be typed. The value reaches
// the record's field when the box loses the focus (or Enter is pressed in it), clamped,
// and when it is stepped by the arrows or the Up and Down keys; the field then always
// equals what the box shows.
class CNumberBox : public QAbstractSpinBox {
    Q_OBJECT

public:
    // Bounds and step for a commit (direction 0) or a step down (-1) or up (+1), asked
    // for with the value typed; they may depend on the record's other fields.
    using LimitsFn = std::function<NumberEntry::Limits(qint32 typed, int direction)>;

    explicit CNumberBox(QWidget* parent = nullptr);
    ~CNumberBox() override;

    // The field the box edits, the range its text follows and its bounds. Nothing is
    // written until Show() or a commit.
    void Bind(qint32* field, const ValueRange* format, LimitsFn limits);
    // Forgets the field: later focus changes touch nothing.
    void Unbind();

    // Writes the text for a value (as the record holds it, unclamped).
    void Show(qint32 value);
    // The value of the text as it stands.
    qint32 TypedValue() const;
    // Takes the text into the field: direction 0 clamps, -1 / +1 step first.
    void Commit(int direction);

    void stepBy(int steps) override;

signals:
    // The text changed (typed or written) and passed the filter.
    void TextFiltered(const QString& text);
    // The field took a new value from the box.
    void Committed(qint32 value, int direction);

protected:
    StepEnabled stepEnabled() const override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnTextChanged(const QString& text);

    qint32* m_pField = nullptr;
    const ValueRange* m_pFormat = nullptr;
    LimitsFn m_fnLimits;
};
