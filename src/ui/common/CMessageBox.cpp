#include "CMessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>

QString CMessageBox::Caption() {
    return QCoreApplication::translate("CMessageBox", "VZR-T8100");
}

QMessageBox::StandardButton CMessageBox::Show(QMessageBox::Icon icon, const QString& text,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton,
                                              QWidget* parent) {
    if (!parent)
        parent = QApplication::activeWindow();
    QMessageBox box(icon, Caption(), text, buttons, parent);
    box.setObjectName(QStringLiteral("messageBox"));
    box.setDefaultButton(defaultButton);
    for (QAbstractButton* button : box.buttons())
        button->setAccessibleName(button->text());
    if (buttons.testFlag(QMessageBox::Cancel))
        box.setEscapeButton(QMessageBox::Cancel);
    else if (buttons.testFlag(QMessageBox::No))
        box.setEscapeButton(QMessageBox::No);
    else
        box.setEscapeButton(QMessageBox::Ok);
    const int result = box.exec();
    // a box closed by the window manager answers as its escape button would
    if (result == 0 || !(buttons & QMessageBox::StandardButton(result))) {
        if (buttons.testFlag(QMessageBox::Cancel))
            return QMessageBox::Cancel;
        if (buttons.testFlag(QMessageBox::No))
            return QMessageBox::No;
        return QMessageBox::Ok;
    }
    return QMessageBox::StandardButton(result);
}

QMessageBox::StandardButton CMessageBox::Ok(const QString& text, QWidget* parent) {
    return Show(QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok, parent);
}

QMessageBox::StandardButton CMessageBox::OkCancel(const QString& text, QWidget* parent) {
    return Show(QMessageBox::Warning, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok,
                parent);
}

QMessageBox::StandardButton CMessageBox::YesNo(const QString& text, QWidget* parent) {
    return Show(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes,
                parent);
}

QMessageBox::StandardButton CMessageBox::OkCancelDefaultCancel(const QString& text,
                                                               QWidget* parent) {
    return Show(QMessageBox::Warning, text, QMessageBox::Ok | QMessageBox::Cancel,
                QMessageBox::Cancel, parent);
}

QMessageBox::StandardButton CMessageBox::YesNoDefaultNo(const QString& text, QWidget* parent) {
    return Show(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
                parent);
}

QMessageBox::StandardButton CMessageBox::YesNoCancel(const QString& text, QWidget* parent) {
    return Show(QMessageBox::Question, text,
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes, parent);
}
