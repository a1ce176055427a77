// The run sequencer and its session without a screen: a whole plan run on the simulated
// instrument at its real line speed, with the exact traffic checked from the instrument's
// log, and the hard cases (errors, a failing line, a stop by the instrument itself, series
// shorter than a poll); the session's judgements, record and restore. The owner here is a
// recording stand-in with real timers.
#include "RunFixture.h"

#include "execution/CRunRecord.h"
#include "execution/CRunSequencer.h"
#include "execution/CRunSession.h"
#include "report/ReportTestUtil.h"
#include "settings/CTestProperty.h"

#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <array>
#include <deque>
#include <functional>
#include <optional>

using namespace run;
using TrigLabel = CRunSequencer::TrigLabel;

namespace {

// The sequencer's face, recording what it is told, with one real timer per id.
class CFace : public CRunSequencer::Owner {
public:
    struct Answer {
        bool ok = true;
        std::optional<qint32> judge; // nothing: keep the preset
        QString comment;
    };

    CRunSequencer* seq = nullptr;
    std::array<QTimer, 3> timers;
    int overlaps = 0; // times a timer was armed while another still ran
    QStringList messages;
    std::function<void(const QString&)> onMessage;
    std::function<void(int)> onArm;
    std::deque<Answer> answers;
    QList<qint32> presets;
    TrigLabel label = TrigLabel::Hidden;
    QString progress[4];
    QStringList doneShown; // every text of PROGRESS_DONE, in order
    bool running = false;
    int focusStop = 0;
    int shownRow = -1;
    int trigLabelsShown = 0;
    QStringList pointsAsked;  // "N NAME" of each gun move asked for
    QList<bool> pointAnswers; // OK or キャンセル to each, OK when none are left

    CFace() {
        for (int id = 0; id < 3; ++id) {
            timers[size_t(id)].setSingleShot(true);
            QObject::connect(&timers[size_t(id)], &QTimer::timeout, [this, id] {
                if (seq)
                    seq->OnTimer(id);
            });
        }
    }

    void ArmTimer(int id) override {
        for (int other = 0; other < 3; ++other) {
            if (other != id && timers[size_t(other)].isActive())
                ++overlaps;
        }
        timers[size_t(id)].start(CRunSequencer::TIMER_PERIOD_MS);
        if (onArm)
            onArm(id);
    }
    void KillTimer(int id) override { timers[size_t(id)].stop(); }
    void ApplyRunState(bool r) override { running = r; }
    void ShowTrigLabel(TrigLabel l) override {
        label = l;
        ++trigLabelsShown;
    }
    void ShowProgress(CRunSequencer::ProgressField field, const QString& text) override {
        progress[field] = text;
        if (field == CRunSequencer::PROGRESS_DONE)
            doneShown.append(text);
    }
    void ShowMessage(const QString& text) override {
        messages.append(text);
        if (onMessage)
            onMessage(text);
    }
    bool AskJudgement(qint32& judge, QString& comment) override {
        presets.append(judge);
        if (answers.empty())
            return true;
        const Answer answer = answers.front();
        answers.pop_front();
        if (answer.judge)
            judge = *answer.judge;
        if (!answer.comment.isEmpty())
            comment = answer.comment;
        return answer.ok;
    }
    void UpdateStepRow(int) override {}
    void ShowStepRow(int row) override { shownRow = row; }
    void ShowJudgeControls() override {}
    void FocusStop() override { ++focusStop; }
    bool ConfirmTestPoint(int point, const QString& name) override {
        pointsAsked.append(QString::number(point) + ' ' + name);
        return pointAnswers.empty() || pointAnswers.takeFirst();
    }
};

QList<qint32> Judges(const CExecList& list) {
    QList<qint32> judges;
    for (const auto& step : list)
        judges.append(step->m_nJudge);
    return judges;
}

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

// "EVENT|step|judgement|detail" of each event line of a record (texts without commas).
QStringList Events(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList events;
    bool body = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split("\r\n")) {
        const QStringList f = line.split(',');
        if (body && f.size() == 14)
            events.append(QStringList{f[1], f[2], f[10], f[12]}.join('|'));
        body = body || f.value(1) == Utf8("イベント");
    }
    return events;
}

} // namespace

class TestRunSequencer : public QObject {
    Q_OBJECT

    Instrument m_inst;
    CTestProperty m_property;
    std::unique_ptr<CFace> m_face;
    std::unique_ptr<CRunSession> m_session;
    CRunSequencer* m_seq = nullptr; // the session's
    std::unique_ptr<CVzrT8100Doc> m_doc;

    // A sequencer on the document's run list, opened and polling.
    void Open(std::unique_ptr<CVzrT8100Doc> doc) {
        m_doc = std::move(doc);
        m_face = std::make_unique<CFace>();
        m_session =
            std::make_unique<CRunSession>(*m_inst.cntl, m_property, &m_doc->GetExecList(), *m_face);
        m_seq = &m_session->Sequencer();
        m_face->seq = m_seq;
        m_seq->Open();
        QVERIFY(m_seq->StartPolling());
        QCOMPARE(m_seq->ArmedTimer(), CRunSequencer::TIMER_IDLE);
    }

    CExecData& Step(int i) { return *m_doc->GetExecList()[size_t(i)]; }

    // Waits until the run is over and idle polling has gone on for a while.
    bool WaitForIdle() {
        const bool idle = QTest::qWaitFor(
            [this] {
                return m_seq->ArmedTimer() == CRunSequencer::TIMER_IDLE && !m_face->running &&
                       !m_face->messages.isEmpty();
            },
            WAIT_MS);
        QTest::qWait(CRunSequencer::TIMER_PERIOD_MS * 2);
        return idle;
    }

private slots:
    void init() {
        QVERIFY(m_inst.Start());
        m_property = CTestProperty();
    }

    void cleanup() {
        if (m_seq)
            m_seq->Close();
        if (m_face)
            QCOMPARE(m_face->overlaps, 0);
        m_session.reset();
        m_seq = nullptr;
        m_face.reset();
        m_doc.reset();
        m_inst.Stop();
    }

    // Judge-auto on: every step gets A when it completes, and a judgement entered while a
    // step discharges stays; the last judgement is in before "試験が終了しました。".
    void fullRunJudgedAutomatically() {
        m_property.m_bJudgeAuto = true;
        Open(MixedPlan());
        Step(0).m_nJudge = JUDGE_C; // cleared when the step starts discharging
        QList<qint32> judgesAtEnd;
        m_face->onMessage = [&](const QString&) { judgesAtEnd = Judges(m_doc->GetExecList()); };
        m_inst.sim->ClearLog();
        m_seq->OnStart(-1);
        bool enteredB = false;
        QVERIFY(QTest::qWaitFor(
            [&] {
                // the operator's 確定 while step 2 discharges
                if (!enteredB && m_seq->CurrentStep() == 1 && m_seq->TrigOn()) {
                    Step(1).m_nJudge = JUDGE_B;
                    enteredB = true;
                }
                return !m_face->messages.isEmpty();
            },
            WAIT_MS));
        QVERIFY(enteredB);
        QCOMPARE(m_face->messages, QStringList{QString::fromUtf8("試験が終了しました。")});
        QCOMPARE(judgesAtEnd, (QList<qint32>{JUDGE_A, JUDGE_B, JUDGE_A, JUDGE_A}));
        QCOMPARE(m_seq->CurrentStep(), 0);
        QCOMPARE(m_seq->CurrentExec(), &Step(0));
        QCOMPARE(m_face->shownRow, 0);
        QVERIFY(m_session->ResultExist());
        QCOMPARE(m_face->progress[CRunSequencer::PROGRESS_INTERVAL_STEP], QString("1.00"));
        QCOMPARE(m_face->progress[CRunSequencer::PROGRESS_COUNT], QString("2"));
        QVERIFY(WaitForIdle());
        QVERIFY(
            LogMatches(m_inst.Log(), Load(Step(0)) + "QC " + CONTACT_POLLS + "CB " + Load(Step(1)) +
                                         CONTACT_POLLS + "CB " + Load(Step(2)) + AIR_POLLS + "CB " +
                                         Load(Step(3)) + AIR_POLLS + "CB " +
                                         // the run timer finds the instrument stopped, then idle
                                         "QD QE QJ QF QC CD " + IDLE_POLLS));
        QCOMPARE(m_inst.sim->Status(), quint8(0));
    }

    // Judge-auto off: the judgement dialog at every completion, preset with A; cancel
    // stores nothing and the run still goes on.
    void fullRunJudgedByTheOperator() {
        m_property.m_bJudgeAuto = false;
        Open(MixedPlan());
        Step(2).m_strComment = "kept";
        m_face->answers = {{true, JUDGE_B, "first"},
                           {false, JUDGE_D, "never stored"},
                           {true, std::nullopt, QString()},
                           {true, JUDGE_D, "last"}};
        QList<qint32> judgesAtEnd;
        m_face->onMessage = [&](const QString&) { judgesAtEnd = Judges(m_doc->GetExecList()); };
        m_inst.sim->ClearLog();
        m_seq->OnStart(-1);
        QVERIFY(WaitForIdle());

        QCOMPARE(m_face->presets, (QList<qint32>{JUDGE_A, JUDGE_A, JUDGE_A, JUDGE_A}));
        QCOMPARE(judgesAtEnd, (QList<qint32>{JUDGE_B, JUDGE_NONE, JUDGE_A, JUDGE_D}));
        QCOMPARE(Step(0).m_strComment, QString("first"));
        QCOMPARE(Step(1).m_strComment, QString());
        QCOMPARE(Step(2).m_strComment, QString("kept"));
        QCOMPARE(Step(3).m_strComment, QString("last"));
        QVERIFY(m_session->ResultExist());
        QCOMPARE(m_seq->CurrentStep(), 0);
        // "CB" before the judgement dialog, then again as the next step is loaded
        QVERIFY(LogMatches(m_inst.Log(), Load(Step(0)) + "QC " + CONTACT_POLLS + "CB CB " +
                                             Load(Step(1)) + CONTACT_POLLS + "CB CB " +
                                             Load(Step(2)) + AIR_POLLS + "CB CB " + Load(Step(3)) +
                                             AIR_POLLS + "CB CB " + "QD QE QJ QF QC CD " +
                                             IDLE_POLLS));
    }

    // START with row 5 selected runs steps 5 to the last, then comes back to step 1.
    void startAtTheSelectedRow() {
        m_property.m_bJudgeAuto = true;
        std::vector<std::unique_ptr<CSettingData>> conds;
        for (int i = 0; i < 6; ++i)
            conds.push_back(
                Condition(DISC_CONTACT, TRIG_VZR, 1000 + 500 * i, 200, 1, POLA_BIT_PLUS));
        Open(Plan(std::move(conds)));
        m_inst.sim->ClearLog();
        m_seq->OnStart(4);
        QCOMPARE(m_seq->CurrentStep(), 4);
        QVERIFY(WaitForIdle());
        QVERIFY(LogMatches(m_inst.Log(), Load(Step(4)) + "QC " + CONTACT_POLLS + "CB " +
                                             Load(Step(5)) + CONTACT_POLLS + "CB " +
                                             "QD QE QJ QF QC CD " + IDLE_POLLS));
        QCOMPARE(Judges(m_doc->GetExecList()),
                 (QList<qint32>{JUDGE_NONE, JUDGE_NONE, JUDGE_NONE, JUDGE_NONE, JUDGE_A, JUDGE_A}));
        QCOMPARE(m_seq->CurrentStep(), 0);
    }

    // A plan of two steps at two test points: the gun is asked for before the first step of
    // a point is loaded, at START and as the run advances. キャンセル at the second point
    // stops the run as STOP does, on step 3, where START asks again; START in the middle of
    // the point the gun is at asks nothing; キャンセル at START sends nothing.
    void runAcrossTestPoints() {
        m_property.m_bJudgeAuto = true;
        std::vector<std::unique_ptr<CSettingData>> conds;
        conds.push_back(Condition(DISC_CONTACT, TRIG_VZR, 2000, 200, 1));
        auto doc = Plan(std::move(conds));
        doc->SetTestPoints({"USB", QString::fromUtf8("電源ボタン")});
        Open(std::move(doc));
        m_session->SetTestPoints(m_doc->TestPoints());
        const QStringList asked{"1 USB", QString::fromUtf8("2 電源ボタン")};
        m_face->pointAnswers = {true, false};
        m_inst.sim->ClearLog();
        m_seq->OnStart(-1);
        QCOMPARE(m_face->pointsAsked, asked.mid(0, 1));
        QVERIFY(QTest::qWaitFor([this] { return m_face->pointsAsked.size() == 2; }, WAIT_MS));
        QCOMPARE(m_seq->ArmedTimer(), CRunSequencer::TIMER_IDLE);
        QCOMPARE(m_seq->CurrentStep(), 2);
        QCOMPARE(m_face->shownRow, 2);
        QCOMPARE(Judges(m_doc->GetExecList()),
                 (QList<qint32>{JUDGE_A, JUDGE_A, JUDGE_NONE, JUDGE_NONE}));
        QTest::qWait(CRunSequencer::TIMER_PERIOD_MS * 2);
        QVERIFY(LogMatches(m_inst.Log(), Load(Step(0)) + "QC " + CONTACT_POLLS + "CB " +
                                             Load(Step(1)) + CONTACT_POLLS + "CB CB QD CD " +
                                             IDLE_POLLS));

        m_inst.sim->ClearLog();
        m_seq->OnStart(2);
        QCOMPARE(m_face->pointsAsked, asked + asked.mid(1));
        QVERIFY(WaitForIdle());
        QCOMPARE(Judges(m_doc->GetExecList()), QList<qint32>(4, JUDGE_A));
        QVERIFY(LogMatches(m_inst.Log(), Load(Step(2)) + "QC " + CONTACT_POLLS + "CB " +
                                             Load(Step(3)) + CONTACT_POLLS + "CB " +
                                             "QD QE QJ QF QC CD " + IDLE_POLLS));
        m_seq->OnStart(3);
        QVERIFY(QTest::qWaitFor([this] { return m_face->messages.size() == 2; }, WAIT_MS));
        QCOMPARE(m_face->pointsAsked.size(), 3);

        m_face->pointAnswers = {false};
        QVERIFY(QTest::qWaitFor([this] { return m_seq->ArmedTimer() == CRunSequencer::TIMER_IDLE; },
                                WAIT_MS));
        m_inst.sim->ClearLog();
        m_seq->OnStart(0);
        QCOMPARE(m_face->pointsAsked.last(), asked.first());
        QVERIFY(m_inst.sim->CommandLog().isEmpty());
        QCOMPARE(m_seq->ArmedTimer(), CRunSequencer::TIMER_IDLE);
        QCOMPARE(m_seq->ConfirmedTestPoint(), 2);
    }

    // STOP in the middle of a series: the test and the trigger off, idle polling, the
    // step where it was.
    void stopDuringARun() {
        std::vector<std::unique_ptr<CSettingData>> conds;
        conds.push_back(Condition(DISC_CONTACT, TRIG_VZR, 2000, 1000, 50));
        Open(Plan(std::move(conds)));
        m_seq->OnStart(1);
        QVERIFY(QTest::qWaitFor([this] { return m_seq->TrigOn(); }, WAIT_MS));
        QCOMPARE(m_face->label, TrigLabel::On);
        m_inst.sim->ClearLog();
        m_seq->OnStop();
        QCOMPARE(m_inst.Log(), QString("CB QD CD "));
        QCOMPARE(m_face->label, TrigLabel::Hidden);
        QCOMPARE(m_seq->ArmedTimer(), CRunSequencer::TIMER_IDLE);
        QCOMPARE(m_seq->CurrentStep(), 1);
        QVERIFY(m_seq->TrigOn()); // left as it was
        QCOMPARE(m_inst.sim->Status(), quint8(0));
        QVERIFY(m_inst.sim->DischargesDone() < 50);
        QTest::qWait(CRunSequencer::TIMER_PERIOD_MS * 3);
        QVERIFY(LogMatches(m_inst.Log(), "CB QD CD " + IDLE_POLLS));
        QVERIFY(!m_face->running);
        QVERIFY(m_face->messages.isEmpty());
    }

    // TRIG on a CONTACT step: a press and release with its error query; the series the
    // gun trigger source waits for then runs to completion.
    void trigOnAContactStep() {
        m_property.m_bJudgeAuto = true;
        std::vector<std::unique_ptr<CSettingData>> conds;
        conds.push_back(Condition(DISC_CONTACT, TRIG_GUN, 2000, 1000, 2, POLA_BIT_PLUS));
        Open(Plan(std::move(conds)));
        m_seq->OnStart(-1);
        // nothing discharges without a press
        QTest::qWait(CRunSequencer::TIMER_PERIOD_MS * 3);
        QCOMPARE(m_inst.sim->DischargesDone(), 0);
        QVERIFY(!m_seq->TrigOn());
        QCOMPARE(m_face->progress[CRunSequencer::PROGRESS_INTERVAL_NOW], QString("0.00"));
        m_face->shownRow = -1;
        m_inst.sim->ClearLog();
        m_seq->OnTrig();
        QCOMPARE(m_inst.Log(), QString("QD CC CD QC "));
        QCOMPARE(m_face->label, TrigLabel::On);
        QCOMPARE(m_face->shownRow, 0);
        QVERIFY(WaitForIdle());
        QCOMPARE(Step(0).m_nJudge, JUDGE_A);
        QVERIFY(LogMatches(m_inst.Log(), "QD CC CD QC " + CONTACT_POLLS + "CB " +
                                             "QD QE QJ QF QC CD " + IDLE_POLLS));
    }

    // TRIG on an AIR step toggles on the trigger bit: "CC" with its error query, then "CD"
    // alone; an error after "CC" shows "TRIG OFF" without a message.
    void trigOnAnAirStep() {
        m_property.m_bJudgeAuto = true;
        std::vector<std::unique_ptr<CSettingData>> conds;
        // 1 s apart (scaled): the pause below always falls inside the count
        conds.push_back(Condition(DISC_AIR, TRIG_GUN, 2000, 4000, 3, POLA_BIT_PLUS));
        Open(Plan(std::move(conds)));
        m_seq->OnStart(-1);
        QTest::qWait(CRunSequencer::TIMER_PERIOD_MS * 2);
        QCOMPARE(m_face->progress[CRunSequencer::PROGRESS_INTERVAL_NOW], QString("------"));
        Step(0).m_nJudge = JUDGE_B;
        m_inst.sim->ClearLog();
        m_seq->OnTrig();
        QCOMPARE(m_inst.Log(), QString("QD CC QC "));
        QCOMPARE(m_face->label, TrigLabel::On);
        QVERIFY(QTest::qWaitFor([this] { return m_seq->TrigOn(); }, WAIT_MS));
        // seen discharging before its first discharge: the old judgement goes
        QCOMPARE(Step(0).m_nJudge, JUDGE_NONE);

        m_inst.sim->ClearLog();
        m_seq->OnTrig(); // the trigger is on: this switches it off
        QCOMPARE(m_inst.Log(), QString("QD CD "));
        QCOMPARE(m_face->label, TrigLabel::Off);
        const int pausedAt = m_inst.sim->DischargesDone();
        QVERIFY(pausedAt < 3);
        QTest::qWait(CRunSequencer::TIMER_PERIOD_MS * 3);
        QCOMPARE(m_inst.sim->DischargesDone(), pausedAt);
        QCOMPARE(m_seq->CurrentStep(), 0);

        m_inst.sim->SetReplyPayload("QC", "3");
        m_inst.sim->ClearLog();
        m_seq->OnTrig();
        QCOMPARE(m_inst.Log(), QString("QD CC QC "));
        QCOMPARE(m_face->label, TrigLabel::Off);
        QVERIFY(m_face->messages.isEmpty());
        m_inst.sim->ClearReplyOverrides();
        QVERIFY(WaitForIdle());
        QCOMPARE(m_inst.sim->DischargesDone(), 3);
        QCOMPARE(Step(0).m_nJudge, JUDGE_A);
    }

    // Discharging seen clears a CONTACT step's judgement; an AIR step's only when nothing
    // was counted yet, so a judgement survives an AIR step first seen mid-series.
    void dischargingClearsTheJudgement() {
        m_property.m_bJudgeAuto = true;
        m_inst.sim->SetAutoTrigger(true, 0);
        std::vector<std::unique_ptr<CSettingData>> conds;
        // 10 ms apart: dozens are counted before the first poll
        conds.push_back(Condition(DISC_CONTACT, TRIG_VZR, 2000, 40, 60, POLA_BIT_PLUS));
        conds.push_back(Condition(DISC_AIR, TRIG_VZR, 2000, 40, 60, POLA_BIT_PLUS));
        Open(Plan(std::move(conds)));
        Step(0).m_nJudge = JUDGE_B;
        Step(1).m_nJudge = JUDGE_B;
        m_seq->OnStart(-1);
        QVERIFY(WaitForIdle());
        QCOMPARE(Judges(m_doc->GetExecList()), (QList<qint32>{JUDGE_A, JUDGE_B}));
    }

    // An error on START: its text, "PC0", idle polling; nothing runs.
    void instrumentErrorAfterStart() {
        Open(MixedPlan());
        m_inst.sim->InjectErrorOnNextStart(1);
        m_inst.sim->ClearLog();
        m_seq->OnStart(2);
        QCOMPARE(m_face->messages, QStringList{QString::fromUtf8("ガンインターロックエラー")});
        QCOMPARE(m_inst.Log(), Load(Step(2)) + "QC PC0 ");
        QCOMPARE(m_seq->ArmedTimer(), CRunSequencer::TIMER_IDLE);
        QCOMPARE(m_inst.sim->ErrorCode(), 0);
        QTest::qWait(CRunSequencer::TIMER_PERIOD_MS * 2);
        QVERIFY(LogMatches(m_inst.Log(), Load(Step(2)) + "QC PC0 " + IDLE_POLLS));
        QCOMPARE(m_face->messages.size(), 1);
    }

    // The instrument stops by itself with an error during a CONTACT run: the run tick
    // shows its text, clears it with "PC0" and returns to idle polling. During an AIR run
    // no error is asked for: it stays at the instrument until the next load clears it.
    void instrumentStopsByItself() {
        m_property.m_bJudgeAuto = true;
        std::vector<std::unique_ptr<CSettingData>> conds;
        conds.push_back(Condition(DISC_CONTACT, TRIG_VZR, 2000, 1000, 5, POLA_BIT_PLUS));
        conds.push_back(Condition(DISC_AIR, TRIG_VZR, 2000, 1000, 5, POLA_BIT_PLUS));
        Open(Plan(std::move(conds)));
        m_inst.sim->StopAfterDischarges(2, 5);
        m_inst.sim->ClearLog();
        m_seq->OnStart(0);
        QVERIFY(WaitForIdle());
        QCOMPARE(m_face->messages, QStringList{QString::fromUtf8("オートストップエラー")});
        QVERIFY(!m_seq->TrigOn());
        QCOMPARE(m_seq->CurrentStep(), 0);
        QCOMPARE(Step(0).m_nJudge, JUDGE_NONE);
        QVERIFY(LogMatches(m_inst.Log(),
                           Load(Step(0)) + "QC " + CONTACT_POLLS + "QC PC0 CD " + IDLE_POLLS));
        QCOMPARE(m_inst.sim->ErrorCode(), 0);

        m_face->messages.clear();
        m_inst.sim->StopAfterDischarges(2, 5);
        m_inst.sim->ClearLog();
        m_seq->OnStart(1);
        QVERIFY(QTest::qWaitFor([this] { return m_seq->ArmedTimer() == CRunSequencer::TIMER_IDLE; },
                                WAIT_MS));
        QCOMPARE(m_face->label, TrigLabel::Off);
        QVERIFY(m_face->messages.isEmpty());
        QCOMPARE(m_inst.sim->ErrorCode(), 5);
        QTest::qWait(CRunSequencer::TIMER_PERIOD_MS * 2);
        QVERIFY(LogMatches(m_inst.Log(), Load(Step(1)) + "QC " + AIR_POLLS + "CD " + IDLE_POLLS));
        // the next START's load clears the error before the test starts
        m_seq->OnStart(1);
        QCOMPARE(m_inst.sim->ErrorCode(), 0);
        QVERIFY(m_inst.sim->Status() & CVzrT8100Sim::STATUS_RUNNING);
        QCOMPARE(m_seq->ArmedTimer(), CRunSequencer::TIMER_RUN_AIR);
    }

    // A status query that fails during a run: "通信エラーが発生しました。", idle polling,
    // the step index kept; the idle poll then stops what still runs.
    void statusQueryFailsDuringARun() {
        m_property.m_bJudgeAuto = true;
        std::vector<std::unique_ptr<CSettingData>> conds;
        conds.push_back(Condition(DISC_CONTACT, TRIG_VZR, 2000, 1000, 1));
        conds.push_back(Condition(DISC_CONTACT, TRIG_VZR, 3000, 1000, 40, POLA_BIT_PLUS));
        Open(Plan(std::move(conds)));
        m_seq->OnStart(-1);
        QVERIFY(QTest::qWaitFor([this] { return m_seq->CurrentStep() == 2; }, WAIT_MS));
        m_inst.sim->ClearLog();
        m_inst.sim->FailQuery("QD", 1);
        QVERIFY(QTest::qWaitFor([this] { return !m_face->messages.isEmpty(); }, WAIT_MS));
        QCOMPARE(m_face->messages, QStringList{QString::fromUtf8("通信エラーが発生しました。")});
        QCOMPARE(m_seq->ArmedTimer(), CRunSequencer::TIMER_IDLE);
        QCOMPARE(m_seq->CurrentStep(), 2);
        QCOMPARE(m_seq->CurrentExec(), &Step(2));
        QVERIFY(QTest::qWaitFor([this] { return m_inst.sim->Status() == 0; }, WAIT_MS));
        QTest::qWait(CRunSequencer::TIMER_PERIOD_MS * 2);
        // the failed query, then the idle poll switching off the test and the trigger
        QVERIFY(LogMatches(m_inst.Log(), "(?:QD QE QJ QF )*QD QD CB (?:CD )?" + IDLE_POLLS));
        QCOMPARE(m_face->messages.size(), 1);
    }

    // A CONTACT step whose discharging was never seen does not complete, even though its
    // remaining count reads 0 from the first poll on (a series over before the first
    // tick, on an instrument that does not hold its discharge bit).
    void neverSeenStepDoesNotComplete() {
        m_property.m_bJudgeAuto = true;
        m_inst.sim->SetDischargeHold(false);
        m_inst.sim->SetAutoTrigger(true, 0);
        std::vector<std::unique_ptr<CSettingData>> conds;
        conds.push_back(Condition(DISC_CONTACT, TRIG_VZR, 2000, 50, 1, POLA_BIT_PLUS));
        conds.push_back(Condition(DISC_CONTACT, TRIG_VZR, 3000, 50, 1, POLA_BIT_PLUS));
        Open(Plan(std::move(conds)));
        m_inst.sim->ClearLog();
        m_seq->OnStart(-1);
        QTest::qWait(CRunSequencer::TIMER_PERIOD_MS * 8);
        QCOMPARE(m_inst.sim->DischargesDone(), 1);
        QCOMPARE(m_face->progress[CRunSequencer::PROGRESS_DONE], QString("1"));
        QCOMPARE(m_seq->CurrentStep(), 0);
        QVERIFY(!m_seq->TrigOn());
        QCOMPARE(Step(0).m_nJudge, JUDGE_NONE);
        QCOMPARE(m_seq->ArmedTimer(), CRunSequencer::TIMER_RUN_CONTACT);
        QVERIFY(LogMatches(m_inst.Log(), Load(Step(0)) + "QC " + CONTACT_POLLS));
    }

    // The same short series pressed between two polls, after the step's count was seen
    // whole: the fall of the count is discharging seen, and the step completes although
    // the instrument never showed its discharge bit.
    void shortSeriesBetweenTwoTicksCompletes() {
        m_property.m_bJudgeAuto = true;
        m_inst.sim->SetDischargeHold(false);
        m_inst.sim->SetTimeScale(1.0);
        std::vector<std::unique_ptr<CSettingData>> conds;
        conds.push_back(Condition(DISC_CONTACT, TRIG_GUN, 2000, 50, 1, POLA_BIT_PLUS));
        Open(Plan(std::move(conds)));
        int runTicks = 0;
        // right after the second poll of the step: 50 ms of series, 250 ms to the next poll
        m_face->onArm = [&](int id) {
            if (id == CRunSequencer::TIMER_RUN_CONTACT && ++runTicks == 3) {
                m_inst.sim->GunPress();
                m_inst.sim->GunRelease();
            }
        };
        m_seq->OnStart(-1);
        QVERIFY(WaitForIdle());
        QCOMPARE(m_face->messages, QStringList{QString::fromUtf8("試験が終了しました。")});
        QCOMPARE(Step(0).m_nJudge, JUDGE_A);
        QVERIFY(runTicks >= 3);
        QCOMPARE(m_inst.sim->DischargesDone(), 1);
    }

    // A count read in part ("QJ" or "QF" unanswered) is no reading: in a GUN step waiting
    // for the operator it neither completes the step nor shows as progress, and the short
    // series then still completes on whole counts. An AIR step seen discharging on a part
    // count loses its old judgement at the next whole count, which shows nothing counted.
    void partialCountIsNoReading() {
        m_property.m_bJudgeAuto = true;
        m_inst.sim->SetDischargeHold(false);
        m_inst.sim->SetTimeScale(1.0);
        std::vector<std::unique_ptr<CSettingData>> conds;
        conds.push_back(Condition(DISC_CONTACT, TRIG_GUN, 2000, 50, 1, POLA_BIT_PLUS));
        // the first discharge long after the part count and the whole one that follows it
        conds.push_back(Condition(DISC_AIR, TRIG_GUN, 2000, 3000, 1, POLA_BIT_PLUS));
        Open(Plan(std::move(conds)));
        Step(1).m_nJudge = JUDGE_B;
        int runTicks = 0;
        QString logAtPress;
        QStringList doneAtPress;
        m_face->onArm = [&](int id) {
            if (id != CRunSequencer::TIMER_RUN_CONTACT)
                return;
            ++runTicks;
            if (runTicks == 3) // after two whole counts
                m_inst.sim->FailQuery("QJ");
            if (runTicks == 5)
                m_inst.sim->FailQuery("QF");
            if (runTicks == 7) {
                logAtPress = m_inst.Log();
                doneAtPress = m_face->doneShown;
                m_inst.sim->GunPress();
                m_inst.sim->GunRelease();
            }
        };
        m_inst.sim->ClearLog();
        m_seq->OnStart(-1);
        QVERIFY(QTest::qWaitFor([this] { return m_seq->CurrentStep() == 1; }, WAIT_MS));
        QCOMPARE(runTicks, 7);
        QVERIFY(LogMatches(logAtPress, Load(Step(0)) + "QC " + CONTACT_POLLS));
        QCOMPARE(doneAtPress, QStringList(doneAtPress.size(), "0"));
        QCOMPARE(Step(0).m_nJudge, JUDGE_A);

        m_inst.sim->FailQuery("QJ");
        m_seq->OnTrig();
        QVERIFY(WaitForIdle());
        QCOMPARE(Step(1).m_nJudge, JUDGE_A);
        QCOMPARE(m_face->messages, QStringList{QString::fromUtf8("試験が終了しました。")});
    }

    // Idle polling switches off a test and a trigger left on at the instrument.
    void idlePollStopsWhatRuns() {
        Open(MixedPlan());
        // an AIR test with its trigger on, left by someone else
        CExecData air;
        air.m_nDiscMode = DISC_AIR;
        air.m_lInterval = 10000;
        air.m_lCount = 100;
        QVERIFY(m_inst.cntl->SendStep(air));
        QVERIFY(m_inst.cntl->StartTest());
        QVERIFY(m_inst.cntl->TriggerOn());
        m_face->label = TrigLabel::On;
        m_inst.sim->ClearLog();
        QVERIFY(QTest::qWaitFor([this] { return m_inst.sim->Status() == 0; }, WAIT_MS));
        QVERIFY(QTest::qWaitFor([this] { return !m_face->running; }, WAIT_MS));
        QCOMPARE(m_face->label, TrigLabel::Hidden);
        QVERIFY(LogMatches(m_inst.Log(), "(?:QD )*QD CB CD " + IDLE_POLLS));
    }

    // Closing is refused while the instrument reports a running test; STOP gets the focus.
    void closeCheck() {
        Open(MixedPlan());
        QVERIFY(m_seq->CanClose());
        m_seq->OnStart(-1);
        QVERIFY(!m_seq->CanClose());
        QCOMPARE(m_face->focusStop, 1);
        m_seq->OnStop();
        QVERIFY(m_seq->CanClose());
        QCOMPARE(m_face->focusStop, 1);
    }

    // An empty run list: blank progress, and START and TRIG do nothing.
    void emptyRunList() {
        auto doc = std::make_unique<CVzrT8100Doc>();
        doc->GetSettingList().clear();
        doc->RebuildExecList();
        Open(std::move(doc));
        m_seq->ShowStepProgress();
        for (const QString& text : m_face->progress)
            QVERIFY(text.isEmpty());
        QCOMPARE(m_seq->PollProgress(), -1);
        m_inst.sim->ClearLog();
        m_seq->OnStart(-1);
        m_seq->OnTrig();
        QVERIFY(m_inst.sim->CommandLog().isEmpty());
        QCOMPARE(m_seq->ArmedTimer(), CRunSequencer::TIMER_IDLE);
        QVERIFY(m_seq->CurrentExec() == nullptr);
    }

    // The session without a screen: the run list corrected as it opens, every judgement
    // stored and recorded with its way, which of them a report still owes (a report that
    // failed carries nothing, a PDF carries them as a workbook does), a run never closed put
    // back with its test time, and closing with the judge-auto flag written.
    void sessionKeepsTheResults() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        auto doc = MixedPlan();
        CExecList& steps = doc->GetExecList();
        steps[1]->m_nPola = 5;
        steps[2]->m_nJudge = 9;
        m_property.m_tmTest = 1796000000;
        CFace face;
        QString killed;
        const QString pdf = dir.filePath("r.pdf");
        {
            CRunSession session(*m_inst.cntl, m_property, &steps, face);
            QCOMPARE(steps[1]->m_nPola, POLA_MINUS);
            QCOMPARE(steps[2]->m_nJudge, JUDGE_NONE);
            session.SetDataFilePath(dir.filePath("Plan.vzt"));
            session.BeginRecord(nullptr);
            session.Judge(0, JUDGE_B, "c0", CRunSequencer::JUDGED_APPLY);
            QVERIFY(!session.ResultExist());
            session.Judge(1, JUDGE_C, "c1", CRunSequencer::JUDGED_DIALOG);
            QVERIFY(session.ResultExist());
            session.SetDocumentTitle("Plan.vzt");
            const CTestReport::Outcome refused = session.CreateReport(
                CRunSession::REPORT_WORKBOOK, doc->GetSettingList(), dir.filePath("no/r.xlsx"));
            QCOMPARE(refused.m_nResult, CTestReport::REPORT_NO_FOLDER);
            QVERIFY(session.ResultExist());
            const CTestReport::Outcome made =
                session.CreateReport(CRunSession::REPORT_PDF, doc->GetSettingList(), pdf);
            QCOMPARE(made.m_nResult, CTestReport::REPORT_MADE);
            QCOMPARE(made.m_strPath, pdf);
            QVERIFY(!session.ResultExist());
            // the session's judgements in the report
            QVERIFY(
                QRegularExpression("^\\s*2\\s.*\\sC\\s+c1$", QRegularExpression::MultilineOption)
                    .match(ReportTest::PdfPages(pdf).join('\n'))
                    .hasMatch());
            session.JudgeAll(JUDGE_D);
            QVERIFY(!session.ResultExist());
            killed = session.Record()->Path();
        } // never closed: the program was killed
        QCOMPARE(Events(killed),
                 (QStringList{Utf8("JUDGE|1|B|確定"), Utf8("JUDGE|2|C|判定ダイアログ"),
                              "REPORT|||" + pdf, Utf8("JUDGE_ALL||D|判定全変更")}));

        auto next = MixedPlan();
        m_property.m_tmTest = 1797000000;
        CRunSession session(*m_inst.cntl, m_property, &next->GetExecList(), face);
        session.SetDataFilePath(dir.filePath("Plan.vzt"));
        CRunSession::InterruptedRun found;
        QVERIFY(session.FindInterruptedRun(&found));
        QCOMPARE(found.lJudged, 4);
        QVERIFY(!found.bDamaged);
        session.RestoreInterruptedRun();
        QCOMPARE(Judges(next->GetExecList()), QList<qint32>(4, JUDGE_D));
        QCOMPARE(next->GetExecList()[1]->m_strComment, QString("c1"));
        QCOMPARE(m_property.m_tmTest, 1796000000);
        QVERIFY(session.ResultExist());
        session.BeginRecord(nullptr);
        session.ClearComments();
        QVERIFY(next->GetExecList()[1]->m_strComment.isEmpty());
        session.SetJudgeAuto(true);
        session.Close();
        QCOMPARE(CTestProperty::ReadIniString(INI_SECTION_JUDGE, INI_KEY_JUDGE_AUTO, "0"), "1");
        const QString restored = Utf8("JUDGE|%1|D|復元");
        QCOMPARE(
            Events(session.Record()->Path()),
            (QStringList{"RESTORE|||" + killed, restored.arg(1), restored.arg(2), restored.arg(3),
                         restored.arg(4), Utf8("COMMENTS_CLEARED|||コメント全削除"), "CLOSE|||"}));
    }

    // Opened without the instrument: no timer ever, and the run buttons' actions do
    // nothing.
    void withoutTheInstrument() {
        m_inst.Stop();
        CSerialPortTable::SetExplicitPorts({});
        CVzrT8100Cntl cntl; // finds nothing
        QVERIFY(!cntl.IsConnected());
        auto doc = MixedPlan();
        CFace face;
        CRunSession session(cntl, m_property, &doc->GetExecList(), face);
        CRunSequencer& seq = session.Sequencer();
        face.seq = &seq;
        seq.Open();
        QVERIFY(!seq.StartPolling());
        seq.OnStart(0);
        seq.OnTrig();
        seq.OnStop();
        QCOMPARE(seq.ArmedTimer(), CRunSequencer::TIMER_NONE);
        QVERIFY(seq.CanClose());
        QVERIFY(m_inst.Start()); // for cleanup
    }
};

QTEST_MAIN(TestRunSequencer)
#include "tst_RunSequencer.moc"
