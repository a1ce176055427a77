#pragma once
// What the execution dialog's tests share: answers to the modal windows it opens (and the
// stand-in for the desktop's spreadsheet application).
#include "common/UrlCatcher.h"
#include "common/WhenModal.h"
#include "execution/CJudgeDlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QTest>

#include <functional>

// Answers the modal windows the dialog opens (message boxes, the judgement dialog) as
// they come, and remembers what they showed.
class CModalAnswerer {
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

private:
    bool Answer(QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            boxTexts.append(box->text());
            if (onBox)
                onBox(box->text());
            const QMessageBox::StandardButton answer = boxAnswer(box->text());
            if (answer == ENTER) {
                QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
                return true;
            }
            QAbstractButton* button = box->button(answer);
            (button ? button : box->escapeButton())->click();
            return true;
        }
        auto* judge = qobject_cast<CJudgeDlg*>(modal);
        if (!judge)
            return false;
        judgeTitles.append(judge->windowTitle());
        judgePresets.append(judge->findChild<QComboBox*>("comboJudge")->currentText());
        judgeComments.append(judge->findChild<QLineEdit*>("editComment")->text());
        const bool ok = judgeAnswer(judge);
        judge->findChild<QPushButton*>(ok ? "buttonOk" : "buttonCancel")->click();
        return true;
    }

    CModalWatcher m_watch{[this](QWidget* modal) { return Answer(modal); }};
};
