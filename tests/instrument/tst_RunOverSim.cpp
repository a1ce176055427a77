// A whole test run over the controller against the simulated instrument, at the
// instrument's own pace: the traffic the execution dialog makes (load and start, the
// 250 ms status polling, step completion, moving on, stop, the idle poll), so that the
// simulator is known to carry a run from the first step to the last.
#include "CVzrT8100Sim.h"

#include "data/CExecData.h"
#include "instrument/CSerialPortTable.h"
#include "instrument/CVzrT8100Cntl.h"

#include <QTest>

#include <memory>
#include <vector>

namespace {

constexpr int POLL_MS = 250;
// Far more polls than any of the runs below needs: a run that never ends fails instead
// of hanging the suite.
constexpr int MAX_POLLS = 400;

CExecData MakeStep(qint32 mode, qint32 pola, qint32 volt, qint32 intervalMs, qint32 count) {
    CExecData step;
    step.m_nDiscMode = mode;
    step.m_nTrig = TRIG_GUN;
    step.m_nPola = pola;
    step.m_lVolt = volt;
    step.m_lInterval = intervalMs;
    step.m_lCount = count;
    return step;
}

// The run sequencer's side of the dialogue, one poll at a time.
class CRunner {
public:
    enum class Tick { Running, Completed, Finished, Ended, CommError };

    CRunner(CVzrT8100Cntl& cntl, std::vector<CExecData>& steps) : m_cntl(cntl), m_steps(steps) {}

    // START at step index i; returns the instrument's error text.
    QString Start(int i) {
        m_nStep = i;
        m_bTrigOn = false;
        m_cntl.SendStep(m_steps[size_t(i)]);
        m_cntl.TriggerOff();
        m_cntl.StartTest();
        QString error;
        m_cntl.GetErrorText(error);
        return error;
    }

    Tick RunTick() {
        const CExecData& step = m_steps[size_t(m_nStep)];
        const bool contact = step.m_nDiscMode == DISC_CONTACT;
        quint8 status = 0;
        if (!m_cntl.GetStatus(status))
            return Tick::CommError;
        m_lastStatus = status;
        int remaining = -1;
        if (contact) {
            qint32 interval = 0;
            if (m_cntl.GetInterval(interval))
                m_lastInterval = interval;
        }
        qint32 count = 0;
        if (m_cntl.GetRemainingCount(count))
            remaining = count;

        if (!(status & CVzrT8100Cntl::STATUS_RUNNING)) {
            if (contact) {
                m_bTrigOn = false;
                QString error;
                m_cntl.GetErrorText(error);
                if (!error.isEmpty())
                    m_cntl.SendPC0();
            }
            m_cntl.TriggerOff();
            return Tick::Ended;
        }
        const quint8 active =
            contact ? CVzrT8100Cntl::STATUS_CONTACT_DISCHARGE : CVzrT8100Cntl::STATUS_AIR_DISCHARGE;
        if (status & active) {
            m_bTrigOn = true;
            return Tick::Running;
        }
        if (!m_bTrigOn || remaining != 0)
            return Tick::Running;

        // Step complete: judged A, then on to the next step or the end of the run.
        m_bTrigOn = false;
        m_steps[size_t(m_nStep)].m_nJudge = JUDGE_A;
        m_cntl.StopTest();
        if (m_nStep + 1 < int(m_steps.size())) {
            ++m_nStep;
            m_cntl.SendStep(m_steps[size_t(m_nStep)]);
            m_cntl.TriggerOff();
            m_cntl.StartTest();
            return Tick::Completed;
        }
        m_nStep = 0;
        return Tick::Finished;
    }

    // The idle poll: whatever still runs or triggers is switched off.
    void IdleTick() {
        quint8 status = 0;
        m_cntl.GetStatus(status);
        if (status & CVzrT8100Cntl::STATUS_RUNNING)
            m_cntl.StopTest();
        if (status & CVzrT8100Cntl::STATUS_TRIGGER_ON)
            m_cntl.TriggerOff();
    }

    // TRIG: a press and release for CONTACT, a toggle for AIR.
    void Trig() {
        quint8 status = 0;
        m_cntl.GetStatus(status);
        if (m_steps[size_t(m_nStep)].m_nDiscMode == DISC_CONTACT) {
            m_cntl.TriggerOn();
            m_cntl.TriggerOff();
        } else if (status & CVzrT8100Cntl::STATUS_TRIGGER_ON) {
            m_cntl.TriggerOff();
        } else {
            m_cntl.TriggerOn();
        }
    }

    // STOP: the test and the trigger off.
    void Stop() {
        quint8 status = 0;
        m_cntl.StopTest();
        m_cntl.GetStatus(status);
        m_cntl.TriggerOff();
    }

    int StepIndex() const { return m_nStep; }
    bool TrigOn() const { return m_bTrigOn; }
    quint8 LastStatus() const { return m_lastStatus; }
    qint32 LastInterval() const { return m_lastInterval; }

private:
    CVzrT8100Cntl& m_cntl;
    std::vector<CExecData>& m_steps;
    int m_nStep = 0;
    bool m_bTrigOn = false;
    quint8 m_lastStatus = 0;
    qint32 m_lastInterval = 0;
};

} // namespace

class TestRunOverSim : public QObject {
    Q_OBJECT

    std::unique_ptr<CVzrT8100Sim> m_sim;
    std::unique_ptr<CVzrT8100Cntl> m_cntl;

private slots:
    void init() {
        m_sim = std::make_unique<CVzrT8100Sim>();
        QVERIFY(m_sim->Start());
        CSerialPortTable::SetExplicitPorts({m_sim->PortPath()});
        m_cntl = std::make_unique<CVzrT8100Cntl>();
        QVERIFY(m_cntl->IsConnected());
        m_sim->ClearLog();
    }

    void cleanup() {
        m_cntl.reset();
        m_sim->Stop();
        m_sim.reset();
        CSerialPortTable::SetExplicitPorts({});
    }

    // Automatic trigger at the instrument's own pace: every step is loaded, discharges
    // its count and is seen to complete, including one far shorter than a poll.
    void autoTriggeredRunCompletesEveryStep() {
        m_sim->SetAutoTrigger(true, 100);
        std::vector<CExecData> steps = {
            MakeStep(DISC_CONTACT, POLA_PLUS, 2000, 300, 3),
            MakeStep(DISC_AIR, POLA_MINUS, -4000, 200, 2),
            MakeStep(DISC_CONTACT, POLA_PLUS, 8000, 50, 1), // over between two polls
        };
        CRunner run(*m_cntl, steps);
        QVERIFY(run.Start(0).isEmpty());
        QCOMPARE(m_sim->CommandLog(), QStringList({"QA", "CB", "PC0", "PH0", "PI1", "PG0", "PL200",
                                                   "PK30", "PJ3", "CD", "CA", "QC"}));

        std::vector<int> completedAt;
        bool finished = false;
        for (int i = 0; i < MAX_POLLS && !finished; ++i) {
            QTest::qWait(POLL_MS);
            const int before = run.StepIndex();
            const CRunner::Tick tick = run.RunTick();
            QVERIFY2(tick != CRunner::Tick::CommError, "status query failed");
            QVERIFY2(tick != CRunner::Tick::Ended, "the instrument stopped by itself");
            if (tick == CRunner::Tick::Completed || tick == CRunner::Tick::Finished)
                completedAt.push_back(before);
            if (tick == CRunner::Tick::Completed) {
                const CVzrT8100Sim::Step loaded = m_sim->LoadedStep();
                const CExecData& next = steps[size_t(run.StepIndex())];
                QCOMPARE(loaded.mode, next.m_nDiscMode);
                QCOMPARE(loaded.polarity, next.m_nPola);
                QCOMPARE(loaded.volt10, next.m_lVolt / 10);
                QCOMPARE(loaded.interval10, next.m_lInterval / 10);
                QCOMPARE(loaded.count, next.m_lCount);
            }
            finished = tick == CRunner::Tick::Finished;
        }
        QVERIFY(finished);
        QCOMPARE(completedAt, std::vector<int>({0, 1, 2}));
        for (const CExecData& step : steps)
            QCOMPARE(step.m_nJudge, JUDGE_A);
        QCOMPARE(run.StepIndex(), 0);

        // The run timer's next tick finds the instrument stopped, then idle polling begins.
        QTest::qWait(POLL_MS);
        QCOMPARE(run.RunTick(), CRunner::Tick::Ended);
        run.IdleTick();
        QCOMPARE(m_sim->Status(), quint8(0));
    }

    // The operator's gun: a CONTACT press runs the whole series, an AIR toggle pauses and
    // resumes it; neither completes before its count is done.
    void manualTriggerContactAndAir() {
        std::vector<CExecData> steps = {
            MakeStep(DISC_CONTACT, POLA_PLUS, 2000, 200, 2),
            // long enough apart that the pause below always falls inside the count
            MakeStep(DISC_AIR, POLA_PLUS, 2000, 1000, 3),
        };
        CRunner run(*m_cntl, steps);
        QVERIFY(run.Start(0).isEmpty());

        // Without a press nothing discharges and the step does not complete.
        for (int i = 0; i < 3; ++i) {
            QTest::qWait(POLL_MS);
            QCOMPARE(run.RunTick(), CRunner::Tick::Running);
        }
        QCOMPARE(m_sim->DischargesDone(), 0);
        QCOMPARE(run.LastInterval(), 20);

        run.Trig();
        CRunner::Tick tick = CRunner::Tick::Running;
        for (int i = 0; i < MAX_POLLS && tick == CRunner::Tick::Running; ++i) {
            QTest::qWait(POLL_MS);
            tick = run.RunTick();
        }
        QCOMPARE(tick, CRunner::Tick::Completed);
        QCOMPARE(run.StepIndex(), 1);

        // AIR: trigger on, seen discharging, then off again before the count is reached.
        run.Trig();
        for (int i = 0; i < MAX_POLLS && !run.TrigOn(); ++i) {
            QTest::qWait(POLL_MS / 5);
            QCOMPARE(run.RunTick(), CRunner::Tick::Running);
        }
        QVERIFY(run.TrigOn());
        run.Trig(); // the trigger was on: this switches it off
        QVERIFY(!(m_sim->Status() & CVzrT8100Sim::STATUS_TRIGGER_ON));
        const int pausedAt = m_sim->DischargesDone();
        QVERIFY(pausedAt < 3);
        for (int i = 0; i < 3; ++i) {
            QTest::qWait(POLL_MS);
            QCOMPARE(run.RunTick(), CRunner::Tick::Running);
        }
        QCOMPARE(m_sim->DischargesDone(), pausedAt);

        run.Trig(); // on again: the rest of the count follows
        tick = CRunner::Tick::Running;
        for (int i = 0; i < MAX_POLLS && tick == CRunner::Tick::Running; ++i) {
            QTest::qWait(POLL_MS);
            tick = run.RunTick();
        }
        QCOMPARE(tick, CRunner::Tick::Finished);
        QCOMPARE(m_sim->DischargesDone(), 3);
    }

    // STOP in the middle of a series, and an instrument error on START.
    void stopAndErrorOnStart() {
        m_sim->SetAutoTrigger(true, 0);
        std::vector<CExecData> steps = {MakeStep(DISC_CONTACT, POLA_PLUS, 2000, 1000, 10)};
        CRunner run(*m_cntl, steps);
        QVERIFY(run.Start(0).isEmpty());
        QTRY_VERIFY(m_sim->Status() & CVzrT8100Sim::STATUS_CONTACT_DISCHARGE);
        run.Stop();
        QCOMPARE(m_sim->Status(), quint8(0));
        run.IdleTick();
        QCOMPARE(m_sim->Status(), quint8(0));
        QVERIFY(m_sim->DischargesDone() < 10);

        m_sim->InjectErrorOnNextStart(1);
        QCOMPARE(run.Start(0), QString::fromUtf8("ガンインターロックエラー"));
        QVERIFY(m_cntl->SendPC0());
        QString error = "stale";
        QVERIFY(m_cntl->GetErrorText(error));
        QVERIFY(error.isEmpty());
        // The instrument did not start: the run tick sees it stopped at once.
        QCOMPARE(run.RunTick(), CRunner::Tick::Ended);
    }
};

QTEST_GUILESS_MAIN(TestRunOverSim)
#include "tst_RunOverSim.moc"
