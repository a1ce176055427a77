#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// The program's message boxes: captioned with the application title; OK and OK/Cancel
// carry the exclamation icon, Yes/No and Yes/No/Cancel the question icon.
class CMessageBox {
public:
    CMessageBox() = delete;

    static QString Caption();

    static QMessageBox::StandardButton Ok(const QString& text, QWidget* parent = nullptr);
    static QMessageBox::StandardButton OkCancel(const QString& text, QWidget* parent = nullptr);
    // OK/Cancel whose default (Enter) is Cancel: where OK sets the instrument going.
    static QMessageBox::StandardButton OkCancelDefaultCancel(const QString& text,
                                                             QWidget* parent = nullptr);
    static QMessageBox::StandardButton YesNo(const QString& text, QWidget* parent = nullptr);
    // Yes/No whose default (Enter) is No: for a question where Yes changes results.
    static QMessageBox::StandardButton YesNoDefaultNo(const QString& text,
                                                      QWidget* parent = nullptr);
    static QMessageBox::StandardButton YesNoCancel(const QString& text, QWidget* parent = nullptr);

private:
    static QMessageBox::StandardButton Show(QMessageBox::Icon icon, const QString& text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton,
                                            QWidget* parent);
};
