// The execution dialog offscreen, found by objectName, on the simulated instrument at line
// speed: a plan run from START to "試験が終了しました。" in both judgement modes, closing
// and the report question, Enter, the list's rules during a run, and the bulk operations.
#include "ExecDlgFixture.h"
#include "RunFixture.h"

#include "data/CStepListModel.h"
#include "data/SelectTable.h"
#include "execution/CExecDlg.h"
#include "execution/CJudgeDlg.h"
#include "settings/CTestProperty.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>
#include <mutex>

using namespace run;

namespace {

constexpr int TICK_MS = CRunSequencer::TIMER_PERIOD_MS;

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

class TestExecDlg : public QObject {
    Q_OBJECT

    Instrument m_inst;
    CTestProperty m_property;
    std::unique_ptr<CVzrT8100Doc> m_doc;
    std::unique_ptr<CExecDlg> m_dlg;
    std::unique_ptr<CModalAnswerer> m_modal;
    CUrlCatcher m_catcher;

    template <class T> T* Find(const char* name) {
        T* widget = m_dlg->findChild<T*>(QLatin1String(name));
        if (!widget)
            qWarning("no %s", name);
        return widget;
    }
    QString Text(const char* label) { return Find<QLabel>(label)->text(); }
    QPushButton* Button(const char* name) { return Find<QPushButton>(name); }
    QTableView* List() { return Find<QTableView>("listResults"); }
    CExecData& Step(int i) { return *m_doc->GetExecList()[size_t(i)]; }

    void Open(std::unique_ptr<CVzrT8100Doc> doc, CVzrT8100Cntl* cntl = nullptr) {
        m_doc = std::move(doc);
        m_dlg = std::make_unique<CExecDlg>(cntl ? *cntl : *m_inst.cntl, m_property,
                                           &m_doc->GetSettingList(), &m_doc->GetExecList(),
                                           m_doc->TestPoints());
        m_dlg->SetDocumentTitle(QStringLiteral("Test1.vzt"));
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
    }

    // Until the first idle poll has enabled START.
    bool WaitForIdlePoll() {
        return QTest::qWaitFor([this] { return Button("buttonStart")->isEnabled(); }, WAIT_MS);
    }

    bool WaitForRun() {
        return QTest::qWaitFor([this] { return Button("buttonStop")->isEnabled(); }, WAIT_MS);
    }

    // A click the window system held back while the exchanges of a button blocked the
    // dialog: delivered once they are over.
    static void PostClick(QWidget* widget, QPoint at) {
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(
                widget,
                new QMouseEvent(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                Qt::NoModifier));
    }

    void ClickRow(int row, bool twice = false) {
        QTableView* list = List();
        const QPoint at = list->visualRect(list->model()->index(row, 1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        if (twice)
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    int SelectedRow() {
        const QModelIndexList rows = List()->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }

    QString CellText(int row, int column) {
        return List()->model()->index(row, column).data().toString();
    }

    // One long CONTACT step of each polarity, and a short AIR step: a run stays a while in
    // its first step.
    static std::unique_ptr<CVzrT8100Doc> LongPlan() {
        std::vector<std::unique_ptr<CSettingData>> conds;
        conds.push_back(Condition(DISC_CONTACT, TRIG_VZR, 2000, 1000, 60));
        conds.push_back(Condition(DISC_AIR, TRIG_VZR, 4000, 1000, 1, POLA_BIT_PLUS));
        return Plan(std::move(conds));
    }

private slots:
    void init() {
        QVERIFY(m_inst.Start());
        m_property = CTestProperty();
        m_modal = std::make_unique<CModalAnswerer>();
        m_catcher.m_urls.clear();
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_catcher, "open");
        QDir(CTestProperty::ReportsFolder()).removeRecursively();
        QFile::remove(CTestProperty::ReportsFolder());
    }

    void cleanup() {
        m_dlg.reset();
        m_doc.reset();
        m_modal.reset();
        m_inst.Stop();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    }

    // Workbooks in the reports folder.
    static QStringList Reports() {
        return QDir(CTestProperty::ReportsFolder()).entryList({"*.xlsx"}, QDir::Files);
    }

    // What the dialog shows when it opens, and its first idle poll.
    void opensOnTheFirstStep() {
        m_property.m_bJudgeAuto = true;
        Open(MixedPlan());
        QCOMPARE(m_dlg->windowTitle(), Utf8("試験実行"));
        QCOMPARE(Text("labelStepCount"), QString("4"));
        QCOMPARE(Text("labelStepNo"), QString("1"));
        QCOMPARE(Text("labelJudgeStepNo"), QString("1"));
        QCOMPARE(Text("labelIntervalNow"), QString("0.00"));
        QCOMPARE(Text("labelIntervalStep"), QString("1.00"));
        QCOMPARE(Text("labelCount"), QString("2"));
        QVERIFY(Find<QLabel>("labelTrigOn")->isHidden());
        QVERIFY(Find<QLabel>("labelTrigOff")->isHidden());
        QVERIFY(Find<QLabel>("labelTestPoint")->isHidden()); // a plan without points
        QVERIFY(Find<QCheckBox>("checkJudgeAuto")->isChecked());
        QCOMPARE(Find<QCheckBox>("checkJudgeAuto")->text(),
                 Utf8("Step 完了時にA判定を自動入力する"));
        for (const char* name : {"buttonStart", "buttonStop", "buttonTrig"})
            QVERIFY2(!Button(name)->isEnabled(), name);

        // START, STOP and TRIG carry their text beside their icons; every control its name
        QCOMPARE(Button("buttonStart")->text(), QString("START"));
        QCOMPARE(Button("buttonStop")->text(), QString("STOP"));
        QCOMPARE(Button("buttonTrig")->text(), QString("TRIG"));
        QVERIFY(!Button("buttonStart")->icon().pixmap(32, 32).isNull());
        QVERIFY(!Button("buttonStop")->icon().pixmap(32, 32).isNull());
        const QStringList texts = {"確定",       "判定全変更", "コメント全削除", "レポート作成...",
                                   "PDF作成...", "閉じる"};
        const char* names[] = {"buttonApply",  "buttonJudgeAll", "buttonDeleteComments",
                               "buttonReport", "buttonPdf",      "buttonClose"};
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(Button(names[i])->text(), texts[i]);
        QList<QWidget*> controls;
        for (QWidget* w : m_dlg->findChildren<QWidget*>()) {
            if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                qobject_cast<QLineEdit*>(w) || w == List())
                controls.append(w);
        }
        QVERIFY(controls.size() >= 14);
        for (QWidget* w : controls) {
            if (w->parentWidget() && qobject_cast<QComboBox*>(w->parentWidget()))
                continue; // a combo's own line edit
            if (w->parent() == List() || List()->isAncestorOf(w))
                continue; // the list's own corner and header parts
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        }
        QCOMPARE(Find<QComboBox>("comboJudge")->accessibleName(), Utf8("判定"));
        QCOMPARE(Find<QComboBox>("comboJudgeAll")->accessibleName(), Utf8("判定一括設定"));
        QCOMPARE(Find<QLineEdit>("editComment")->accessibleName(), Utf8("コメント"));

        // both judgement combos list "------", A..D; the bulk one starts on its first entry
        for (const char* name : {"comboJudge", "comboJudgeAll"}) {
            auto* combo = Find<QComboBox>(name);
            QCOMPARE(combo->count(), 5);
            QStringList items;
            for (int i = 0; i < combo->count(); ++i)
                items.append(combo->itemText(i));
            QCOMPARE(items, (QStringList{"------", "A", "B", "C", "D"}));
            QCOMPARE(combo->currentIndex(), 0);
        }

        // the results list: ten columns, one row per step, widths in the list's proportions
        QTableView* list = List();
        QAbstractItemModelTester tester(list->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(list->model()->columnCount(), 10);
        QCOMPARE(list->model()->rowCount(), 4);
        QStringList headings;
        for (int c = 0; c < 10; ++c)
            headings.append(list->model()->headerData(c, Qt::Horizontal).toString());
        QCOMPARE(headings,
                 (QStringList{"Step No.", "放電モード", "IEC LEVEL", "トリガ", "極性", "電圧 [kV]",
                              "放電間隔 [s]", "放電回数 [回]", "判定", "コメント"}));
        QCOMPARE(CellText(0, 0), QString("Step No.  1"));
        QCOMPARE(CellText(3, 1), QString("AIR"));
        QCOMPARE(CellText(1, 4), QString("-"));
        QCOMPARE(CellText(2, 5), QString("8.00"));
        QCOMPARE(CellText(2, 6), QString("------"));
        const int width = list->width() - 2 * list->frameWidth() -
                          list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
        const int percent[10] = {10, 10, 12, 8, 6, 10, 12, 13, 7, 12};
        for (int c = 0; c < 10; ++c)
            QCOMPARE(list->columnWidth(c), width * percent[c] / 100);
        QCOMPARE(list->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        QVERIFY(!list->horizontalHeader()->sectionsClickable());
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(SelectedRow(), 0);

        QVERIFY(WaitForIdlePoll());
        QVERIFY(!Button("buttonStop")->isEnabled());
        QVERIFY(!Button("buttonTrig")->isEnabled());
        QVERIFY(Button("buttonReport")->isEnabled());
        QVERIFY(Button("buttonPdf")->isEnabled());
        QVERIFY(LogMatches(m_inst.Log(), IDLE_POLLS));

        // The instrument is polled every 250 ms at most, as its own clock sees it: the next
        // poll is asked for only once the answer to the last came back and the dialog's
        // timer ran out after it (a timer may run out 5 % early).
        struct Polls {
            QElapsedTimer clock;
            std::mutex mutex;
            QList<qint64> at;
        };
        const auto polls = std::make_shared<Polls>();
        polls->clock.start();
        m_inst.sim->SetLogCallback([polls](const QString& text) {
            const std::lock_guard lock(polls->mutex);
            if (text == QLatin1String("QD"))
                polls->at.append(polls->clock.elapsed());
        });
        const auto count = [polls] {
            const std::lock_guard lock(polls->mutex);
            return polls->at.size();
        };
        QVERIFY(QTest::qWaitFor([&] { return count() >= 6; }, WAIT_MS));
        m_inst.sim->SetLogCallback(nullptr);
        const std::lock_guard lock(polls->mutex);
        for (qsizetype i = 1; i < polls->at.size(); ++i)
            QVERIFY2(polls->at[i] - polls->at[i - 1] >= 250 * 95 / 100,
                     qPrintable(QString::number(polls->at[i] - polls->at[i - 1])));
    }

    // Judge-auto on (ticked in the dialog): START runs the plan to its end; 確定 while a
    // step discharges is kept; the end message comes after the last judgement; back on step
    // 1 and idle; closing then asks for the report, and the option reaches the settings.
    void runJudgedAutomatically() {
        Open(MixedPlan());
        QAbstractItemModelTester tester(List()->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        Find<QCheckBox>("checkJudgeAuto")->click();
        QVERIFY(m_property.m_bJudgeAuto);
        QVERIFY(WaitForIdlePoll());
        QList<qint32> lastJudgeAtMessage;
        m_modal->onBox = [&](const QString&) {
            for (const auto& step : m_doc->GetExecList())
                lastJudgeAtMessage.append(step->m_nJudge);
        };
        m_inst.sim->ClearLog();
        Button("buttonStart")->click();
        bool applied = false;
        QVERIFY(QTest::qWaitFor(
            [&] {
                if (!applied && Text("labelStepNo") == "2" &&
                    Find<QLabel>("labelTrigOn")->isVisible()) {
                    SelectComboByValue(Find<QComboBox>("comboJudge"), JUDGE_B);
                    Button("buttonApply")->click();
                    applied = true;
                }
                return !m_modal->boxTexts.isEmpty();
            },
            WAIT_MS));
        QVERIFY(applied);
        QCOMPARE(m_modal->boxTexts, QStringList{Utf8("試験が終了しました。")});
        QCOMPARE(lastJudgeAtMessage, (QList<qint32>{JUDGE_A, JUDGE_B, JUDGE_A, JUDGE_A}));
        QVERIFY(WaitForIdlePoll());
        QTest::qWait(TICK_MS * 2);
        QCOMPARE(Text("labelStepNo"), QString("1"));
        QCOMPARE(SelectedRow(), 0);
        QCOMPARE(CellText(1, 8), QString("B"));
        QCOMPARE(CellText(3, 8), QString("A"));
        QVERIFY(LogMatches(m_inst.Log(), Load(Step(0)) + "QC " + CONTACT_POLLS + "CB " +
                                             Load(Step(1)) + CONTACT_POLLS + "CB " + Load(Step(2)) +
                                             AIR_POLLS + "CB " + Load(Step(3)) + AIR_POLLS +
                                             "CB QD QE QJ QF QC CD " + IDLE_POLLS));

        m_modal->boxAnswer = [](const QString&) { return QMessageBox::No; };
        Button("buttonClose")->click();
        QCOMPARE(m_modal->boxTexts.last(),
                 Utf8("試験結果が存在します。\nレポートを作成しますか？"));
        QVERIFY(m_dlg->isHidden());
        QCOMPARE(CTestProperty::ReadIniString(INI_SECTION_JUDGE, INI_KEY_JUDGE_AUTO, "x"),
                 QString("1"));
    }

    // With test points: each step's point after "Step No." and the current one beside the
    // progress. The gun is asked for in a box whose Enter is キャンセル, which loads nothing;
    // OK runs the point, and キャンセル at the next one stops there, on its first step.
    void runWithTestPoints() {
        m_property.m_bJudgeAuto = true;
        std::vector<std::unique_ptr<CSettingData>> conds;
        conds.push_back(Condition(DISC_CONTACT, TRIG_VZR, 2000, 200, 1, POLA_BIT_PLUS));
        auto doc = Plan(std::move(conds));
        doc->SetTestPoints({"USB", Utf8("電源ボタン")});
        Open(std::move(doc));
        QCOMPARE(List()->model()->columnCount(), 11);
        QCOMPARE(List()->model()->headerData(1, Qt::Horizontal).toString(), Utf8("テストポイント"));
        QCOMPARE(CellText(1, 1), Utf8("2 電源ボタン"));
        QVERIFY(Find<QLabel>("labelTestPoint")->isVisible());
        QCOMPARE(Text("labelTestPoint"), QString("1 USB"));
        QVERIFY(WaitForIdlePoll());

        m_modal->boxAnswer = [](const QString&) { return CModalAnswerer::ENTER; };
        m_inst.sim->ClearLog();
        Button("buttonStart")->click();
        QCOMPARE(m_modal->boxTexts,
                 QStringList{Utf8("テストポイント 1「USB」へ放電ガンを移動してください。")});
        QVERIFY(m_inst.sim->CommandLog().filter(QRegularExpression("^(?!QD$)")).isEmpty());
        QVERIFY(Button("buttonStart")->isEnabled());

        m_modal->boxAnswer = [](const QString& text) {
            return text.contains(Utf8("電源ボタン")) ? QMessageBox::Cancel : QMessageBox::Ok;
        };
        Button("buttonStart")->click();
        QVERIFY(QTest::qWaitFor([this] { return m_modal->boxTexts.size() == 3; }, WAIT_MS));
        QVERIFY(WaitForIdlePoll());
        QCOMPARE(Text("labelStepNo"), QString("2"));
        QCOMPARE(Text("labelTestPoint"), Utf8("2 電源ボタン"));
        QCOMPARE(SelectedRow(), 1);
        QCOMPARE(CellText(0, 9), QString("A"));
        QCOMPARE(CellText(1, 9), QString("------"));
    }

    // Judge-auto off: the judgement dialog at every completion preselects A; cancel stores
    // nothing and the run still goes on.
    void runJudgedByTheOperator() {
        Open(MixedPlan());
        QVERIFY(!Find<QCheckBox>("checkJudgeAuto")->isChecked());
        QVERIFY(WaitForIdlePoll());
        int asked = 0;
        m_modal->judgeAnswer = [&](CJudgeDlg* dlg) {
            ++asked;
            if (asked == 4)
                dlg->findChild<QLineEdit*>("editComment")->setText("last");
            return asked != 2;
        };
        Button("buttonStart")->click();
        QVERIFY(QTest::qWaitFor([this] { return !m_modal->boxTexts.isEmpty(); }, WAIT_MS));
        QCOMPARE(m_modal->judgeTitles, QStringList(4, Utf8("判定")));
        QCOMPARE(m_modal->judgePresets, QStringList(4, "A"));
        QCOMPARE(m_modal->boxTexts, QStringList{Utf8("試験が終了しました。")});
        QList<qint32> judges;
        for (const auto& step : m_doc->GetExecList())
            judges.append(step->m_nJudge);
        QCOMPARE(judges, (QList<qint32>{JUDGE_A, JUDGE_NONE, JUDGE_A, JUDGE_A}));
        QCOMPARE(Step(3).m_strComment, QString("last"));
        QCOMPARE(CellText(3, 9), QString("last"));
        QVERIFY(WaitForIdlePoll());
        QVERIFY(m_dlg->ResultExist());
    }

    // Closing while the instrument runs is refused and STOP gets the focus; Esc behaves
    // the same. Stopped and without judgements, closing asks nothing.
    void closingWhileRunningIsRefused() {
        Open(LongPlan());
        m_dlg->activateWindow();
        QVERIFY(WaitForIdlePoll());
        Button("buttonStart")->click();
        QVERIFY(WaitForRun());
        Button("buttonClose")->click();
        QVERIFY(m_dlg->isVisible());
        QCOMPARE(QApplication::focusWidget(), Button("buttonStop"));
        Find<QTableView>("listResults")->setFocus();
        QTest::keyClick(m_dlg.get(), Qt::Key_Escape);
        QVERIFY(m_dlg->isVisible());
        QCOMPARE(QApplication::focusWidget(), Button("buttonStop"));
        QVERIFY(m_modal->boxTexts.isEmpty());

        Button("buttonStop")->click();
        QVERIFY(QTest::qWaitFor([this] { return !Button("buttonStop")->isEnabled(); }, WAIT_MS));
        QCOMPARE(m_inst.sim->Status(), quint8(0));
        QTest::keyClick(m_dlg.get(), Qt::Key_Escape);
        QVERIFY(m_dlg->isHidden());
        QVERIFY(m_modal->boxTexts.isEmpty());
        QCOMPARE(CTestProperty::ReadIniString(INI_SECTION_JUDGE, INI_KEY_JUDGE_AUTO, "x"),
                 QString("0"));
    }

    // A judgement through the judgement dialog makes closing ask for a report: Cancel and
    // Yes stay open, Yes creates it; then closing asks no more until a new judgement.
    void closingAfterAJudgementAsksForTheReport() {
        Open(MixedPlan());
        ClickRow(1, true);
        QTRY_COMPARE(m_modal->judgePresets.size(), 1);
        QCOMPARE(m_modal->judgePresets, QStringList{"------"}); // unjudged stays unjudged
        QCOMPARE(Text("labelStepNo"), QString("2"));
        QVERIFY(m_modal->judgeComments.first().isEmpty());
        m_modal->judgeAnswer = [](CJudgeDlg* dlg) {
            SelectComboByValue(dlg->findChild<QComboBox*>("comboJudge"), JUDGE_C);
            dlg->findChild<QLineEdit*>("editComment")->setText(Utf8("放電後に再起動"));
            return true;
        };
        ClickRow(2, true);
        QTRY_COMPARE(m_modal->judgePresets.size(), 2);
        QTRY_COMPARE(Step(2).m_nJudge, JUDGE_C);
        QCOMPARE(Step(2).m_strComment, Utf8("放電後に再起動"));
        QCOMPARE(CellText(2, 8), QString("C"));
        QCOMPARE(CellText(2, 9), Utf8("放電後に再起動"));
        QCOMPARE(Find<QComboBox>("comboJudge")->currentText(), QString("C"));
        QCOMPARE(Find<QLineEdit>("editComment")->text(), Utf8("放電後に再起動"));
        QVERIFY(m_dlg->ResultExist());

        const QString question = Utf8("試験結果が存在します。\nレポートを作成しますか？");
        m_modal->boxAnswer = [](const QString&) { return QMessageBox::Cancel; };
        Button("buttonClose")->click();
        QCOMPARE(m_modal->boxTexts, QStringList{question});
        QVERIFY(m_dlg->isVisible());
        QVERIFY(m_dlg->ResultExist());
        QVERIFY(Reports().isEmpty());
        m_modal->boxAnswer = [](const QString&) { return QMessageBox::Yes; };
        Button("buttonClose")->click();
        QCOMPARE(m_modal->boxTexts.size(), 2);
        QVERIFY(m_dlg->isVisible());
        QVERIFY(!m_dlg->ResultExist()); // the report was made
        QCOMPARE(Reports().size(), 1);
        QVERIFY2(Reports().first().startsWith("Test1_"), qPrintable(Reports().first()));
        QCOMPARE(m_catcher.m_urls.size(), 1);
        Button("buttonClose")->click();
        QCOMPARE(m_modal->boxTexts.size(), 2);
        QVERIFY(m_dlg->isHidden());
        QCOMPARE(Step(2).m_nJudge, JUDGE_C); // judgements stay in the records
    }

    // The report buttons make the workbook and the PDF, each clearing the closing question;
    // a report that could not be written is told once the wait cursor is gone, and leaves
    // the judgements and the question in place.
    void reportButton() {
        Open(MixedPlan());
        QVERIFY(WaitForIdlePoll());
        Step(0).m_nJudge = JUDGE_B;
        ClickRow(3, true);
        QTRY_COMPARE(m_modal->judgePresets.size(), 1);
        QTRY_VERIFY(m_dlg->ResultExist());
        Button("buttonReport")->click();
        QCOMPARE(Reports().size(), 1);
        QCOMPARE(m_catcher.m_urls.size(), 1);
        QVERIFY(!m_dlg->ResultExist());
        QVERIFY(m_modal->boxTexts.isEmpty());
        ClickRow(2, true);
        QTRY_COMPARE(m_modal->judgePresets.size(), 2);
        QTRY_VERIFY(m_dlg->ResultExist());
        Button("buttonPdf")->click();
        QCOMPARE(m_catcher.m_urls.size(), 2);
        const QString pdf = m_catcher.m_urls.last().toLocalFile();
        QCOMPARE(QFileInfo(pdf).absolutePath(), CTestProperty::ReportsFolder());
        QVERIFY2(QFileInfo(pdf).fileName().startsWith("Test1_") && pdf.endsWith(".pdf"),
                 qPrintable(pdf));
        QVERIFY(!m_dlg->ResultExist());
        QVERIFY(m_modal->boxTexts.isEmpty());

        // the reports folder is taken by a file: no report can be made
        QVERIFY(QDir(CTestProperty::ReportsFolder()).removeRecursively());
        QFile blocker(CTestProperty::ReportsFolder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QList<bool> cursorGone;
        m_modal->onBox = [&](const QString&) {
            cursorGone << (QGuiApplication::overrideCursor() == nullptr);
        };
        m_dlg->CreateReport();
        Button("buttonPdf")->click();
        QCOMPARE(m_modal->boxTexts.size(), 2);
        for (const QString& text : m_modal->boxTexts)
            QVERIFY2(text.startsWith(Utf8("レポートのフォルダに書き込めません。\n") +
                                     CTestProperty::ReportsFolder()),
                     qPrintable(text));
        QCOMPARE(cursorGone, (QList<bool>{true, true}));
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QVERIFY(m_dlg->ResultExist());
        QCOMPARE(Step(0).m_nJudge, JUDGE_B);
        QCOMPARE(m_catcher.m_urls.size(), 2);
        QVERIFY(m_dlg->isVisible());
        m_modal->onBox = nullptr;
        m_modal->boxAnswer = [](const QString&) { return QMessageBox::No; };
        Button("buttonClose")->click();
        QCOMPARE(m_modal->boxTexts.last(),
                 Utf8("試験結果が存在します。\nレポートを作成しますか？"));
        QVERIFY(m_dlg->isHidden());
    }

    // 確定 stores the controls into the current step, "------" included, and alone never
    // makes closing ask for a report; the report button clears the question too.
    void applyAloneDoesNotAsk() {
        Open(MixedPlan());
        Step(1).m_nJudge = JUDGE_A;
        ClickRow(1);
        QCOMPARE(Find<QComboBox>("comboJudge")->currentText(), QString("A"));
        SelectComboByValue(Find<QComboBox>("comboJudge"), JUDGE_NONE);
        Find<QLineEdit>("editComment")->setText("note");
        Button("buttonApply")->click();
        QCOMPARE(Step(1).m_nJudge, JUDGE_NONE);
        QCOMPARE(Step(1).m_strComment, QString("note"));
        QCOMPARE(CellText(1, 8), QString("------"));
        QVERIFY(!m_dlg->ResultExist());
        Button("buttonClose")->click();
        QVERIFY(m_modal->boxTexts.isEmpty());
        QVERIFY(m_dlg->isHidden());
    }

    // Enter never closes the dialog; in the judgement combo and the comment it applies the
    // judgement controls (the comment then stands selected).
    void enterKey() {
        Open(MixedPlan());
        m_dlg->activateWindow();
        QVERIFY(WaitForIdlePoll());
        for (const char* name : {"listResults", "buttonClose", "buttonReport", "checkJudgeAuto",
                                 "buttonStart", "comboJudgeAll"}) {
            auto* widget = Find<QWidget>(name);
            widget->setFocus();
            QTest::keyClick(widget, Qt::Key_Return);
            QTest::keyClick(widget, Qt::Key_Enter);
            QVERIFY2(m_dlg->isVisible(), name);
        }
        QVERIFY(m_modal->boxTexts.isEmpty());
        QCOMPARE(m_inst.sim->Status(), quint8(0)); // START was not pressed either

        ClickRow(2);
        auto* combo = Find<QComboBox>("comboJudge");
        combo->setFocus();
        SelectComboByValue(combo, JUDGE_D);
        QCOMPARE(Step(2).m_nJudge, JUDGE_NONE); // chosen, not yet applied
        QTest::keyClick(combo, Qt::Key_Return);
        QCOMPARE(Step(2).m_nJudge, JUDGE_D);
        auto* edit = Find<QLineEdit>("editComment");
        edit->setFocus();
        QTest::keyClicks(edit, "ok");
        QTest::keyClick(edit, Qt::Key_Enter);
        QCOMPARE(Step(2).m_strComment, QString("ok"));
        QCOMPARE(edit->selectedText(), QString("ok"));
        QVERIFY(m_dlg->isVisible());
        QVERIFY(!m_dlg->ResultExist());
    }

    // Idle, the selection moves the current step; during a run clicks, double-clicks and
    // arrow keys on the list are swallowed and the current step stays the run's.
    void listRulesDuringARun() {
        Open(LongPlan());
        m_dlg->activateWindow();
        QVERIFY(WaitForIdlePoll());
        ClickRow(2);
        QCOMPARE(Text("labelStepNo"), QString("3"));
        QCOMPARE(Text("labelJudgeStepNo"), QString("3"));
        QCOMPARE(Text("labelIntervalStep"), QString("------")); // an AIR step
        QCOMPARE(m_dlg->Sequencer().CurrentStep(), 2);
        List()->setFocus();
        QTest::keyClick(List(), Qt::Key_Up);
        QCOMPARE(SelectedRow(), 1);
        QCOMPARE(Text("labelStepNo"), QString("2"));
        QCOMPARE(Text("labelIntervalStep"), QString("1.00"));

        // a click on step 1 and another on START, made while START's exchanges ran
        PostClick(List()->viewport(), List()->visualRect(List()->model()->index(0, 1)).center());
        PostClick(Button("buttonStart"), Button("buttonStart")->rect().center());
        m_inst.sim->ClearLog();
        Button("buttonStart")->click(); // runs from the selected row
        QVERIFY(WaitForRun());
        QTest::qWait(TICK_MS * 2);
        QCOMPARE(m_dlg->Sequencer().CurrentStep(), 1);
        QCOMPARE(SelectedRow(), 1);
        QVERIFY(LogMatches(m_inst.Log(), Load(Step(1)) + "QC (?:QD QE QJ QF )*"));
        QVERIFY(!Button("buttonJudgeAll")->isEnabled());
        QVERIFY(!Button("buttonDeleteComments")->isEnabled());
        QVERIFY(!Find<QComboBox>("comboJudgeAll")->isEnabled());
        QVERIFY(!Button("buttonReport")->isEnabled());
        QVERIFY(!Button("buttonPdf")->isEnabled());
        QVERIFY(Button("buttonTrig")->isEnabled());

        ClickRow(0);
        QCOMPARE(SelectedRow(), 1);
        ClickRow(2, true);
        QCOMPARE(SelectedRow(), 1);
        QTest::qWait(100);
        QVERIFY(m_modal->judgePresets.isEmpty());
        List()->setFocus();
        QTest::keyClick(List(), Qt::Key_Down);
        QTest::keyClick(List(), Qt::Key_Up);
        QCOMPARE(SelectedRow(), 1);
        // a selection made any other way does not move the current step either
        List()->selectionModel()->setCurrentIndex(List()->model()->index(0, 0),
                                                  QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
        QCOMPARE(m_dlg->Sequencer().CurrentStep(), 1);
        QCOMPARE(Text("labelStepNo"), QString("2"));
        // 確定 still works on the running step
        SelectComboByValue(Find<QComboBox>("comboJudge"), JUDGE_B);
        Button("buttonApply")->click();
        QCOMPARE(Step(1).m_nJudge, JUDGE_B);
        QCOMPARE(Step(0).m_nJudge, JUDGE_NONE);

        Button("buttonStop")->click();
        QVERIFY(QTest::qWaitFor([this] { return !Button("buttonStop")->isEnabled(); }, WAIT_MS));
        QVERIFY(Find<QLabel>("labelTrigOn")->isHidden());
        QVERIFY(Find<QLabel>("labelTrigOff")->isHidden());
        ClickRow(2);
        QCOMPARE(SelectedRow(), 2);
        QCOMPARE(m_dlg->Sequencer().CurrentStep(), 2);
        QCOMPARE(Text("labelStepNo"), QString("3"));
    }

    // The run leaves the keyboard with its buttons: after START on STOP; after TRIG on
    // TRIG, through the step's completion, so Space presses TRIG for the next step; after
    // the run on START.
    void focusStaysOnTheRunButtons() {
        m_property.m_bJudgeAuto = true;
        std::vector<std::unique_ptr<CSettingData>> conds;
        conds.push_back(Condition(DISC_CONTACT, TRIG_GUN, 2000, 200, 1));
        Open(Plan(std::move(conds)));
        m_dlg->activateWindow();
        QVERIFY(WaitForIdlePoll());
        QTest::mouseClick(Button("buttonStart"), Qt::LeftButton);
        QVERIFY(WaitForRun());
        QTest::qWait(TICK_MS * 2);
        QCOMPARE(QApplication::focusWidget(), Button("buttonStop"));
        QTest::mouseClick(Button("buttonTrig"), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), Button("buttonTrig"));
        QVERIFY(QTest::qWaitFor([this] { return Text("labelStepNo") == "2"; }, WAIT_MS));
        QCOMPARE(QApplication::focusWidget(), Button("buttonTrig"));
        QCOMPARE(SelectedRow(), 1);
        QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Space); // to the focus
        QVERIFY(QTest::qWaitFor([this] { return !m_modal->boxTexts.isEmpty(); }, WAIT_MS));
        QCOMPARE(m_modal->boxTexts, QStringList{Utf8("試験が終了しました。")});
        QCOMPARE(Step(1).m_nJudge, JUDGE_A);
        QVERIFY(WaitForIdlePoll());
        QCOMPARE(m_dlg->focusWidget(), Button("buttonStart"));
    }

    // 判定全変更 and コメント全削除: each asks first; cancel leaves everything, OK rewrites
    // every step and makes step 1 current; neither counts as a judgement for the report.
    void bulkOperations() {
        Open(MixedPlan());
        QAbstractItemModelTester tester(List()->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (int i = 0; i < 4; ++i)
            Step(i).m_strComment = QString("c%1").arg(i);
        ClickRow(3);
        QCOMPARE(Text("labelStepNo"), QString("4"));

        SelectComboByValue(Find<QComboBox>("comboJudgeAll"), JUDGE_B);
        m_modal->boxAnswer = [](const QString&) { return QMessageBox::Cancel; };
        Button("buttonJudgeAll")->click();
        QCOMPARE(m_modal->boxTexts.last(), Utf8("判定をすべて書き換えます。\nよろしいですか？"));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(Step(i).m_nJudge, JUDGE_NONE);
        QCOMPARE(Text("labelStepNo"), QString("4"));

        m_modal->boxAnswer = [](const QString&) { return QMessageBox::Ok; };
        Button("buttonJudgeAll")->click();
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(Step(i).m_nJudge, JUDGE_B);
            QCOMPARE(CellText(i, 8), QString("B"));
        }
        QCOMPARE(Text("labelStepNo"), QString("1"));
        QCOMPARE(SelectedRow(), 0);
        QCOMPARE(m_dlg->Sequencer().CurrentStep(), 0);
        QCOMPARE(Find<QComboBox>("comboJudge")->currentText(), QString("B"));

        SelectComboByValue(Find<QComboBox>("comboJudgeAll"), JUDGE_NONE);
        Button("buttonJudgeAll")->click();
        for (int i = 0; i < 4; ++i)
            QCOMPARE(Step(i).m_nJudge, JUDGE_NONE);

        m_modal->boxAnswer = [](const QString&) { return QMessageBox::Cancel; };
        Button("buttonDeleteComments")->click();
        QCOMPARE(m_modal->boxTexts.last(), Utf8("コメントをすべて削除します。\nよろしいですか？"));
        QCOMPARE(Step(2).m_strComment, QString("c2"));
        m_modal->boxAnswer = [](const QString&) { return QMessageBox::Ok; };
        Button("buttonDeleteComments")->click();
        for (int i = 0; i < 4; ++i) {
            QVERIFY(Step(i).m_strComment.isEmpty());
            QVERIFY(CellText(i, 9).isEmpty());
        }
        QCOMPARE(m_modal->boxTexts.size(), 5);
        QVERIFY(!m_dlg->ResultExist());
    }

    // Out-of-range polarity and judgement are corrected in the records as the dialog opens
    // on them, and shown so.
    void rowsClampTheirRecords() {
        auto doc = MixedPlan();
        doc->GetExecList()[1]->m_nPola = 5;
        doc->GetExecList()[2]->m_nJudge = 9;
        Open(std::move(doc));
        QCOMPARE(Step(1).m_nPola, POLA_MINUS);
        QCOMPARE(Step(2).m_nJudge, JUDGE_NONE);
        QCOMPARE(CellText(1, 4), QString("-"));
        QCOMPARE(CellText(2, 8), QString("------"));
    }

    // An empty run list: blank progress, START does nothing, nothing breaks.
    void emptyRunList() {
        auto doc = std::make_unique<CVzrT8100Doc>();
        doc->GetSettingList().clear();
        doc->RebuildExecList();
        Open(std::move(doc));
        QCOMPARE(Text("labelStepCount"), QString("0"));
        for (const char* name : {"labelStepNo", "labelJudgeStepNo", "labelIntervalNow",
                                 "labelIntervalStep", "labelDone", "labelCount"})
            QVERIFY2(Text(name).isEmpty(), name);
        QVERIFY(WaitForIdlePoll());
        Button("buttonStart")->click();
        Button("buttonApply")->click();
        QTest::qWait(TICK_MS * 2);
        QVERIFY(LogMatches(m_inst.Log(), IDLE_POLLS));
        QVERIFY(!Button("buttonStop")->isEnabled());
        Button("buttonClose")->click();
        QVERIFY(m_dlg->isHidden());
    }

    // Opened without the instrument: no polling, the run buttons stay off, judging and
    // closing work.
    void withoutTheInstrument() {
        CSerialPortTable::SetExplicitPorts({});
        CVzrT8100Cntl cntl;
        QVERIFY(!cntl.IsConnected());
        Open(MixedPlan(), &cntl);
        QTest::qWait(TICK_MS * 3);
        for (const char* name : {"buttonStart", "buttonStop", "buttonTrig"})
            QVERIFY2(!Button(name)->isEnabled(), name);
        QVERIFY(m_inst.sim->CommandLog().isEmpty());
        ClickRow(3, true);
        QTRY_COMPARE(Step(3).m_nJudge, JUDGE_NONE);
        QTRY_COMPARE(m_modal->judgePresets.size(), 1);
        QVERIFY(m_dlg->ResultExist());
        m_modal->boxAnswer = [](const QString&) { return QMessageBox::No; };
        Button("buttonClose")->click();
        QVERIFY(m_dlg->isHidden());
        m_dlg.reset();
    }
};

QTEST_MAIN(TestExecDlg)
#include "tst_ExecDlg.moc"
