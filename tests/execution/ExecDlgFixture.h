#pragma once
// What the execution dialog's tests share: answers to the modal windows it opens, and a
// stand-in for the desktop's spreadsheet application.
#include "execution/CJudgeDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>

// Answers the modal windows the dialog opens (message boxes, the judgement dialog) as
// they come, and remembers what they showed.
class CModalAnswerer : public QObject {
public:
    // Answers a box with Enter, as an operator taking its default.
    static constexpr QMessageBox::StandardButton ENTER = QMessageBox::NoButton;
    // The button to press for a message box of this text, or ENTER.
    std::function<QMessageBox::StandardButton(const QString&)> boxAnswer = [](const QString&) {
        return QMessageBox::Ok;
    };
    // Sets the judgement dialog's controls; returns false to cancel it.
    std::function<bool(CJudgeDlg*)> judgeAnswer = [](CJudgeDlg*) { return true; };
    // Called as a box appears, before it is answered.
    std::function<void(const QString&)> onBox;

    QStringList boxTexts;
    QStringList judgePresets; // the judgement dialog's combo text as it opened
    QStringList judgeComments;
    QStringList judgeTitles;

    CModalAnswerer() {
        connect(&m_timer, &QTimer::timeout, this, &CModalAnswerer::Check);
        m_timer.start(20);
    }

private:
    void Check() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == m_last)
            return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            m_last = modal;
            boxTexts.append(box->text());
            if (onBox)
                onBox(box->text());
            const QMessageBox::StandardButton answer = boxAnswer(box->text());
            if (answer == ENTER) {
                QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
                return;
            }
            QAbstractButton* button = box->button(answer);
            (button ? button : box->escapeButton())->click();
        } else if (auto* judge = qobject_cast<CJudgeDlg*>(modal)) {
            m_last = modal;
            judgeTitles.append(judge->windowTitle());
            judgePresets.append(judge->findChild<QComboBox*>("comboJudge")->currentText());
            judgeComments.append(judge->findChild<QLineEdit*>("editComment")->text());
            const bool ok = judgeAnswer(judge);
            judge->findChild<QPushButton*>(ok ? "buttonOk" : "buttonCancel")->click();
        }
    }

    QTimer m_timer;
    QPointer<QWidget> m_last;
};

// Stands in for the desktop's spreadsheet application.
class CUrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> m_urls;
public slots:
    void open(const QUrl& url) { m_urls.append(url); }
};
