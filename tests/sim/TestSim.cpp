#include "CSimModel.h"
#include "CTestLine.h"
#include "CVzrT8100Sim.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStringEncoder>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;
using Clock = CSimModel::Clock;

namespace {

void Run(CSimModel& model, const char* text, Clock::time_point now) {
    const std::optional<CSimModel::Command> cmd = CSimModel::ParseCommand(text);
    QVERIFY2(cmd.has_value(), text);
    model.Execute(*cmd, now);
}

QByteArray StatusPayload(CSimModel& model, Clock::time_point now) {
    return model.Query("QD", now).value_or("?");
}

} // namespace

class TestSim : public QObject {
    Q_OBJECT

    std::unique_ptr<CVzrT8100Sim> m_pSim;
    CTestLine m_line;

private slots:

    void init() {
        m_pSim = std::make_unique<CVzrT8100Sim>();
        QVERIFY(m_pSim->Start());
        QVERIFY(QFileInfo::exists(m_pSim->PortPath()));
        QVERIFY(m_line.Open(m_pSim->PortPath()));
    }

    void cleanup() {
        m_line.Close();
        m_pSim.reset();
    }

    void parsesCommandTexts_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        for (const char* text :
             {"CA", "CB", "CC", "CD", "PC0", "PH0", "PH1", "PI3", "PG1", "PL-800", "PL800", "PK0",
              "PJ10", "PQ3/800/100/10/2/0/1", "PQ3/200/100/10/2/0/1/800/200", "PR1/1/2/3"}) {
            QTest::newRow(text) << QByteArray(text) << true;
        }
        for (const char* text : {"",
                                 "C",
                                 "CE",
                                 "CAX",
                                 "PC1",
                                 "PH2",
                                 "PI4",
                                 "PG-1",
                                 "PK-1",
                                 "PJ-1",
                                 "PLx",
                                 "PL",
                                 "PH 1",
                                 "PL1234567890",
                                 "PQ0/1/2/3/4/5/6",
                                 "PQ100/1/2/3/4/5/6",
                                 "PQ3/1/2/3",
                                 "PQ3/1/2/3/4/5/6/7",
                                 "PR1",
                                 "PR1/0",
                                 "PR1/1//2",
                                 "QD"}) {
            QTest::newRow(QByteArray("bad:") + text) << QByteArray(text) << false;
        }
    }

    void parsesCommandTexts() {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        QCOMPARE(CSimModel::ParseCommand(text).has_value(), valid);
    }

    void contactSeriesRunsOutAndStaysRunning() {
        CSimModel model;
        const Clock::time_point t0 = Clock::now();
        Run(model, "PH0", t0);
        Run(model, "PK10", t0); // 100 ms
        Run(model, "PJ3", t0);
        Run(model, "CA", t0);
        QCOMPARE(model.Status(), CSimModel::STATUS_RUNNING);
        Run(model, "CC", t0);
        QCOMPARE(StatusPayload(model, t0), QByteArray("70"));
        Run(model, "CD", t0 + 1ms); // a press and release: the series goes on
        model.Advance(t0 + 99ms);
        QCOMPARE(model.DischargesDone(), 0);
        model.Advance(t0 + 100ms);
        QCOMPARE(model.DischargesDone(), 1);
        QCOMPARE(model.Status(),
                 quint8(CSimModel::STATUS_RUNNING | CSimModel::STATUS_CONTACT_DISCHARGE));
        model.Advance(t0 + 300ms);
        QCOMPARE(model.DischargesDone(), 3);
        // the series is over; its bit stays a while for the computer's poll
        QCOMPARE(StatusPayload(model, t0 + 300ms), QByteArray("30"));
        QCOMPARE(StatusPayload(model, t0 + 799ms), QByteArray("30"));
        QCOMPARE(StatusPayload(model, t0 + 800ms), QByteArray("10"));
        QCOMPARE(model.Query("QJ", t0 + 300ms).value(), QByteArray("3"));
        QCOMPARE(model.Query("QF", t0 + 300ms).value(), QByteArray("3"));
        // pressing again after the series counts a new one
        Run(model, "CC", t0 + 900ms);
        QCOMPARE(model.DischargesDone(), 0);
        Run(model, "CB", t0 + 950ms);
        QCOMPARE(model.Status(), quint8(0));
        model.Advance(t0 + 1s);
        QCOMPARE(model.DischargesDone(), 0);
    }

    void airDischargesOnlyWhileTriggerHeld() {
        CSimModel model;
        const Clock::time_point t0 = Clock::now();
        Run(model, "PH1", t0);
        Run(model, "PK20", t0); // 200 ms
        Run(model, "PJ3", t0);
        Run(model, "CC", t0); // held before the start: discharges begin with CA
        QCOMPARE(model.Status(), CSimModel::STATUS_TRIGGER_ON);
        Run(model, "CA", t0);
        QCOMPARE(StatusPayload(model, t0), QByteArray("51"));
        model.Advance(t0 + 200ms);
        QCOMPARE(model.DischargesDone(), 1);
        Run(model, "CD", t0 + 250ms);
        QCOMPARE(model.Status(), CSimModel::STATUS_RUNNING);
        model.Advance(t0 + 2s);
        QCOMPARE(model.DischargesDone(), 1);
        Run(model, "CC", t0 + 2s);
        model.Advance(t0 + 2200ms);
        QCOMPARE(model.DischargesDone(), 2);
        model.Advance(t0 + 2400ms);
        QCOMPARE(model.DischargesDone(), 3);
        // the AIR bit of the finished series is held too, however often it is asked for
        QCOMPARE(StatusPayload(model, t0 + 2400ms), QByteArray("11"));
        QCOMPARE(StatusPayload(model, t0 + 2400ms), QByteArray("11"));
        QCOMPARE(StatusPayload(model, t0 + 2900ms), QByteArray("10"));
        // a pause is not the end of a series: nothing is held
        Run(model, "CC", t0 + 3s); // a new series
        Run(model, "CD", t0 + 3100ms);
        QCOMPARE(StatusPayload(model, t0 + 3100ms), QByteArray("10"));
    }

    void finishedSeriesBitIsHeldForAWhile() {
        CSimModel model;
        const Clock::time_point t0 = Clock::now();
        Run(model, "PK1", t0);
        Run(model, "PJ2", t0);
        Run(model, "CA", t0);
        Run(model, "CC", t0);
        model.Advance(t0 + 100ms); // over after 20 ms, long before anyone asked
        QCOMPARE(model.DischargesDone(), 2);
        // queries in between (a TRIG press, a close check) do not use the bit up
        for (int i = 0; i < 3; ++i)
            QCOMPARE(StatusPayload(model, t0 + 100ms + i * 100ms), QByteArray("30"));
        QCOMPARE(StatusPayload(model, t0 + 519ms), QByteArray("30"));
        QCOMPARE(StatusPayload(model, t0 + 520ms), QByteArray("10"));
        // a zero count ends at once, and is still held
        Run(model, "PJ0", t0 + 2s);
        Run(model, "CC", t0 + 2s);
        QCOMPARE(StatusPayload(model, t0 + 2100ms), QByteArray("30"));
        // stopping drops what is held
        Run(model, "CB", t0 + 2200ms);
        QCOMPARE(StatusPayload(model, t0 + 2200ms), QByteArray("00"));

        // an instrument that does not hold the bit: it clears with the last discharge
        CSimModel bare;
        bare.SetDischargeHold(false);
        Run(bare, "PK1", t0);
        Run(bare, "PJ1", t0);
        Run(bare, "CA", t0);
        Run(bare, "CC", t0);
        QCOMPARE(StatusPayload(bare, t0 + 9ms), QByteArray("70"));
        QCOMPARE(StatusPayload(bare, t0 + 10ms), QByteArray("10"));
        QCOMPARE(bare.Query("QF", t0 + 10ms).value(), QByteArray("1"));
    }

    void autoTriggerFollowsTriggerSource() {
        const Clock::time_point t0 = Clock::now();
        // VZR and EXTERNAL fire by themselves; GUN and REMOTE wait, unless the automatic
        // gun pulls the gun of a GUN step, and lets it go when the series is done
        for (const bool autoGun : {false, true}) {
            for (const char* source : {"PI0", "PI1", "PI2", "PI3"}) {
                CSimModel model;
                model.SetAutoTrigger(true, 100);
                model.SetAutoGun(autoGun);
                Run(model, "PH1", t0);
                Run(model, source, t0);
                Run(model, "PK10", t0);
                Run(model, "PJ2", t0);
                Run(model, "CA", t0);
                model.Advance(t0 + 99ms);
                QCOMPARE(model.Status(), CSimModel::STATUS_RUNNING);
                model.Advance(t0 + 100ms);
                const bool fires = qstrcmp(source, "PI0") == 0 || qstrcmp(source, "PI2") == 0 ||
                                   (autoGun && qstrcmp(source, "PI1") == 0);
                QCOMPARE(model.Status(), fires ? quint8(0x15) : CSimModel::STATUS_RUNNING);
                model.Advance(t0 + 300ms);
                QCOMPARE(model.DischargesDone(), fires ? 2 : 0);
                QCOMPARE(model.Status() & CSimModel::STATUS_TRIGGER_ON, 0);
                if (!fires) {
                    // the gun still works
                    model.GunPress(t0 + 300ms);
                    model.Advance(t0 + 500ms);
                    QCOMPARE(model.DischargesDone(), 2);
                }
            }
        }
        // stopped before the delay: no press; and none without the automatic trigger
        CSimModel model;
        model.SetAutoTrigger(true, 100);
        Run(model, "CA", t0);
        Run(model, "CB", t0 + 50ms);
        model.Advance(t0 + 1s);
        QCOMPARE(model.Status(), quint8(0));
        model.SetAutoTrigger(false, 0);
        Run(model, "CA", t0 + 1s);
        model.Advance(t0 + 2s);
        QCOMPARE(model.Status(), CSimModel::STATUS_RUNNING);
        QCOMPARE(model.NextDue().has_value(), false);
    }

    void timeScaleShortensIntervals() {
        CSimModel model;
        model.SetTimeScale(0.01);
        model.SetTimeScale(0.0); // ignored: the clock would stand still
        model.SetTimeScale(-1.0);
        QCOMPARE(model.TimeScale(), 0.01);
        const Clock::time_point t0 = Clock::now();
        Run(model, "PK100", t0); // 1 s, scaled to 10 ms
        Run(model, "PJ2", t0);
        Run(model, "CA", t0);
        Run(model, "CC", t0);
        model.Advance(t0 + 9ms);
        QCOMPARE(model.DischargesDone(), 0);
        model.Advance(t0 + 10ms);
        QCOMPARE(model.DischargesDone(), 1);
        QVERIFY(model.NextDue().has_value());
        QVERIFY(*model.NextDue() == t0 + 20ms);
        // the present interval counts in the instrument's own time: 5 ms here are 0.5 s
        QCOMPARE(model.Query("QE", t0 + 10ms).value(), QByteArray("0"));
        QCOMPARE(model.Query("QE", t0 + 15ms).value(), QByteArray("50"));
        QCOMPARE(model.Query("QE", t0 + 25ms).value(), QByteArray("0")); // series over
    }

    void gunPressAndReleaseInBothModes() {
        const Clock::time_point t0 = Clock::now();
        CSimModel model;
        Run(model, "PH0", t0);
        Run(model, "PI1", t0);
        Run(model, "PK10", t0);
        Run(model, "PJ3", t0);
        model.GunPress(t0); // not running: nothing discharges, the trigger shows
        QCOMPARE(model.Status(), CSimModel::STATUS_TRIGGER_ON);
        model.GunRelease(t0);
        Run(model, "CA", t0);
        // CONTACT: a press starts the series, which runs to its end after the release
        model.GunPress(t0 + 10ms);
        QCOMPARE(model.Status(), quint8(0x07));
        Run(model, "CD", t0 + 20ms); // the computer cannot release the operator's hand
        QCOMPARE(model.Status(), quint8(0x07));
        model.GunRelease(t0 + 50ms);
        QCOMPARE(model.Status(), quint8(0x03));
        model.Advance(t0 + 310ms);
        QCOMPARE(model.DischargesDone(), 3);
        // held through a whole series and beyond: no new series without a new press
        model.GunPress(t0 + 1s);
        model.Advance(t0 + 1310ms);
        QCOMPARE(model.DischargesDone(), 3);
        model.Advance(t0 + 1900ms);
        QCOMPARE(model.DischargesDone(), 3);
        QCOMPARE(model.Status(), quint8(0x05));
        model.GunRelease(t0 + 1900ms);

        // AIR: discharges while the gun or the computer's trigger is on
        Run(model, "CB", t0 + 2s);
        Run(model, "PH1", t0 + 2s);
        Run(model, "PJ5", t0 + 2s);
        Run(model, "CA", t0 + 2s);
        model.GunPress(t0 + 2s);
        model.Advance(t0 + 2200ms);
        QCOMPARE(model.DischargesDone(), 2);
        Run(model, "CD", t0 + 2210ms); // the gun is still held
        model.Advance(t0 + 2300ms);
        QCOMPARE(model.DischargesDone(), 3);
        model.GunRelease(t0 + 2350ms);
        QCOMPARE(model.Status(), CSimModel::STATUS_RUNNING);
        model.Advance(t0 + 3s);
        QCOMPARE(model.DischargesDone(), 3);
        Run(model, "CC", t0 + 3s); // the computer's trigger resumes it
        model.Advance(t0 + 3200ms);
        QCOMPARE(model.DischargesDone(), 5);
        QCOMPARE(model.Status(), quint8(0x11)); // finished, bit held
    }

    void stopsBySelfWithStickyError() {
        const Clock::time_point t0 = Clock::now();
        for (const char* mode : {"PH0", "PH1"}) {
            CSimModel model;
            Run(model, mode, t0);
            Run(model, "PK10", t0);
            Run(model, "PJ5", t0);
            model.StopAfterDischarges(2, 5);
            Run(model, "CA", t0);
            Run(model, "CC", t0);
            model.Advance(t0 + 199ms);
            QVERIFY(model.Status() & CSimModel::STATUS_RUNNING);
            model.Advance(t0 + 200ms);
            QCOMPARE(model.DischargesDone(), 2);
            QCOMPARE(StatusPayload(model, t0 + 200ms), QByteArray("00")); // nothing held
            QCOMPARE(model.Query("QC", t0 + 200ms).value(), QByteArray("5"));
            // the error stays: a start is refused, and the stop is not armed again
            Run(model, "CA", t0 + 300ms);
            QCOMPARE(model.Status(), quint8(0));
            QCOMPARE(model.Query("QC", t0 + 300ms).value(), QByteArray("5"));
            Run(model, "PC0", t0 + 400ms);
            QCOMPARE(model.Query("QC", t0 + 400ms).value(), QByteArray("0"));
            Run(model, "CA", t0 + 400ms);
            Run(model, "CC", t0 + 400ms);
            model.Advance(t0 + 900ms);
            QCOMPARE(model.DischargesDone(), 5);
            QVERIFY(model.Status() & CSimModel::STATUS_RUNNING);
        }
    }

    void enqIsAnsweredAndStrayBytesIgnored() {
        QVERIFY(m_line.Write(QByteArray("xyz\x06\x15\x03", 6)));
        QVERIFY(m_line.Write(QByteArray(1, CTestLine::ENQ)));
        // the answer is waited for; only the absence of anything more is looked at briefly
        QCOMPARE(m_line.ReadByte(5000), int(CTestLine::ACK));
        QCOMPARE(m_line.ReadQuiet(100), QByteArray());
        QCOMPARE(m_pSim->EnqCount(), 1);
        // a repeated ENQ before the frame is answered again
        QVERIFY(m_line.Write(QByteArray(1, CTestLine::ENQ)));
        QCOMPARE(m_line.ReadByte(5000), int(CTestLine::ACK));
        QCOMPARE(m_line.ReadQuiet(100), QByteArray());
        QCOMPARE(m_line.Command("CB"), int(CTestLine::ACK));
        QCOMPARE(m_pSim->CommandLog(), QStringList{"CB"});
    }

    void replyFramesCarryIdentAndBcc() {
        CTestLine::Reply reply = m_line.Query("QA");
        QVERIFY(reply.ok);
        QCOMPARE(reply.bytes, CTestLine::Frame("QAVALDMARK SYSTEMS, VZR-T8100 Ver.1.00"));
        QVERIFY(QTest::qWaitFor([this] { return m_pSim->AckCount() == 1; }));
        QCOMPARE(m_line.Query("QD").bytes, QByteArray("\x02QD00\x03\x16"));

        const QString model = QString::fromUtf8("00 試験機");
        m_pSim->SetModelText(model);
        reply = m_line.Query("QA");
        QVERIFY(reply.ok);
        QStringEncoder sjis("Shift_JIS");
        QCOMPARE(reply.text,
                 QByteArray("QAVALDMARK SYSTEMS, VZR-T81") + QByteArray(sjis.encode(model)));

        m_pSim->SetIdentText("ACME ESD-1");
        QCOMPARE(m_line.Query("QA").text, QByteArray("QAACME ESD-1"));
        QCOMPARE(m_pSim->CommandLog(), (QStringList{"QA", "QD", "QA", "QA"}));
    }

    void badFramesAreRefused() {
        QVERIFY(m_line.Write(QByteArray(1, CTestLine::ENQ)));
        QCOMPARE(m_line.ReadByte(5000), int(CTestLine::ACK));
        QByteArray frame = CTestLine::Frame("CA");
        frame.back() = char(frame.back() ^ 1);
        QVERIFY(m_line.Write(frame));
        QCOMPARE(m_line.ReadByte(5000), int(CTestLine::NAK));
        QVERIFY(m_pSim->CommandLog().isEmpty());
        QCOMPARE(m_pSim->Status(), quint8(0));

        QCOMPARE(m_line.Command("XX"), int(CTestLine::NAK));
        QCOMPARE(m_line.Query("QZ").bytes, QByteArray(1, CTestLine::NAK));
        QCOMPARE(m_line.Command("PH2"), int(CTestLine::NAK));
        QCOMPARE(m_pSim->LoadedStep().mode, 0);

        // 254 text bytes are a frame; a 255th drops it unanswered
        QCOMPARE(m_line.Command(QByteArray(254, 'A')), int(CTestLine::NAK));
        QCOMPARE(m_pSim->CommandLog().last().size(), 254);
        QVERIFY(m_line.Write(QByteArray(1, CTestLine::ENQ)));
        QCOMPARE(m_line.ReadByte(5000), int(CTestLine::ACK));
        QVERIFY(m_line.Write(CTestLine::Frame(QByteArray(255, 'A'))));
        QCOMPARE(m_line.ReadQuiet(200), QByteArray());
        QCOMPARE(m_pSim->CommandLog().size(), 4);
        QCOMPARE(m_line.Command("CB"), int(CTestLine::ACK));
    }

    void statusNibbles() {
        QCOMPARE(m_line.Query("QD").text, QByteArray("QD00"));
        for (const char* text : {"PH1", "PK100", "PJ5", "CA"})
            QCOMPARE(m_line.Command(text), int(CTestLine::ACK));
        QCOMPARE(m_line.Query("QD").text, QByteArray("QD10"));
        QCOMPARE(m_line.Command("CC"), int(CTestLine::ACK));
        QCOMPARE(m_line.Query("QD").text, QByteArray("QD51"));
        QCOMPARE(m_line.Command("CD"), int(CTestLine::ACK));
        QCOMPARE(m_line.Status(), int(CVzrT8100Sim::STATUS_RUNNING));
        for (const char* text : {"CB", "PH0", "CA", "CC"})
            QCOMPARE(m_line.Command(text), int(CTestLine::ACK));
        QCOMPARE(m_line.Query("QD").text, QByteArray("QD70"));
        QCOMPARE(m_line.Command("CB"), int(CTestLine::ACK));
        QCOMPARE(m_line.Status(), 0);
    }

    void contactSeriesOverTheLine() {
        m_pSim->SetTimeScale(0.01);
        for (const char* text :
             {"CB", "PC0", "PH0", "PI1", "PG1", "PL800", "PK100", "PJ5", "CD", "CA"}) {
            QCOMPARE(m_line.Command(text), int(CTestLine::ACK));
        }
        const CVzrT8100Sim::Step step = m_pSim->LoadedStep();
        QCOMPARE(step.mode, 0);
        QCOMPARE(step.trigger, 1);
        QCOMPARE(step.polarity, 1);
        QCOMPARE(step.volt10, 800);
        QCOMPARE(step.interval10, 100);
        QCOMPARE(step.count, 5);
        QCOMPARE(m_line.Number("QJ") - m_line.Number("QF"), 5);
        QCOMPARE(m_line.Number("QE"), 0); // nothing discharging yet
        QCOMPARE(m_line.Command("CC"), int(CTestLine::ACK));
        QCOMPARE(m_line.Command("CD"), int(CTestLine::ACK));
        const int interval = m_line.Number("QE");
        QVERIFY2(interval >= 0 && interval <= 100, qPrintable(QString::number(interval)));
        bool bSeen = false;
        int status = -1;
        for (int i = 0; i < 500; ++i) {
            status = m_line.Status();
            QVERIFY(status >= 0);
            if (status & CVzrT8100Sim::STATUS_CONTACT_DISCHARGE) {
                bSeen = true;
            } else if (bSeen) {
                break;
            }
        }
        QVERIFY(bSeen);
        QCOMPARE(status, int(CVzrT8100Sim::STATUS_RUNNING));
        QCOMPARE(m_line.Number("QJ") - m_line.Number("QF"), 0);
        QCOMPARE(m_line.Command("CB"), int(CTestLine::ACK));
        QCOMPARE(m_line.Status(), 0);
    }

    void airRunCountsDown() {
        m_pSim->SetTimeScale(0.05);
        for (const char* text : {"PH1", "PK100", "PJ4", "CA", "CC"}) { // 50 ms apart
            QCOMPARE(m_line.Command(text), int(CTestLine::ACK));
        }
        int last = 4;
        bool bSeen = false;
        for (int i = 0; i < 500 && last > 0; ++i) {
            const int status = m_line.Status();
            const int remaining = m_line.Number("QJ") - m_line.Number("QF");
            QVERIFY(remaining <= last && remaining >= 0);
            last = remaining;
            bSeen = bSeen || (status & CVzrT8100Sim::STATUS_AIR_DISCHARGE);
        }
        QVERIFY(bSeen);
        QCOMPARE(last, 0);
        QCOMPARE(m_line.Status() & ~int(CVzrT8100Sim::STATUS_AIR_DISCHARGE),
                 int(CVzrT8100Sim::STATUS_RUNNING));
        // the held AIR bit goes once its time is up
        QTRY_COMPARE(m_pSim->Status(), CVzrT8100Sim::STATUS_RUNNING);
    }

    void errorOnStartIsReportedAndCleared() {
        m_pSim->InjectErrorOnNextStart(4);
        QCOMPARE(m_line.Command("CA"), int(CTestLine::ACK));
        QCOMPARE(m_line.Query("QC").text, QByteArray("QC4"));
        QCOMPARE(m_line.Status(), 0);
        QCOMPARE(m_line.Command("PC0"), int(CTestLine::ACK));
        QCOMPARE(m_line.Number("QC"), 0);
        QCOMPARE(m_line.Command("CA"), int(CTestLine::ACK));
        QCOMPARE(m_line.Status(), int(CVzrT8100Sim::STATUS_RUNNING));
        QCOMPARE(m_pSim->ErrorCode(), 0);
    }

    void queryFaultsAndSilentExchanges() {
        m_pSim->FailQuery("QD", 2);
        QVERIFY(!m_line.Query("QD").ok);
        QVERIFY(m_line.Query("QJ").ok); // other queries are not affected
        CTestLine::Reply reply = m_line.Query("QD");
        QCOMPARE(reply.enq, int(CTestLine::ACK)); // the frame was heard, no reply came
        QVERIFY(reply.bytes.isEmpty());
        QVERIFY(m_line.Query("QD").ok);
        QCOMPARE(m_pSim->CommandLog(), (QStringList{"QD", "QJ", "QD", "QD"}));

        m_pSim->SilenceExchanges(2);
        QCOMPARE(m_line.Command("CA"), -1);
        QCOMPARE(m_line.Query("QD").enq, -1);
        QCOMPARE(m_line.Command("CA"), int(CTestLine::ACK));
        QCOMPARE(m_line.Status(), int(CVzrT8100Sim::STATUS_RUNNING));
        QCOMPARE(m_pSim->CommandLog().mid(4), (QStringList{"CA", "QD"}));
    }

    void linePacingTakesTheLinesTime() {
        m_pSim->SetLinePacing(true);
        QVERIFY(m_pSim->LinePacing());
        QElapsedTimer timer;
        timer.start();
        QVERIFY(m_line.Write(QByteArray(1, CTestLine::ENQ)));
        QCOMPARE(m_line.ReadByte(5000), int(CTestLine::ACK));
        // ENQ in, ACK out: two bytes of about 1.04 ms
        QVERIFY2(timer.nsecsElapsed() >= 2000000,
                 qPrintable(QString::number(timer.nsecsElapsed())));
        timer.restart();
        QVERIFY(m_line.Write(CTestLine::Frame("QD")));
        QByteArray reply;
        while (reply.size() < 7) {
            const int c = m_line.ReadByte(5000);
            QVERIFY(c >= 0);
            reply += char(c);
        }
        // five bytes in, seven out
        QVERIFY2(timer.nsecsElapsed() >= 12000000,
                 qPrintable(QString::number(timer.nsecsElapsed())));
        QCOMPARE(reply, CTestLine::Frame("QD00"));
        QVERIFY(m_line.Write(QByteArray(1, CTestLine::ACK)));
        QVERIFY(QTest::qWaitFor([this] { return m_pSim->AckCount() == 1; }));
        QCOMPARE(m_line.Command("CB"), int(CTestLine::ACK));
    }

    void sequenceMemoryKeepsStepsAndProgram() {
        for (const char* text : {"PQ3/800/100/10/2/0/1", "PQ1/200/100/10/2/0/1/800/200",
                                 "PR1/1/2/3", "PQ3/500/50/5/0/1/2"}) {
            QCOMPARE(m_line.Command(text), int(CTestLine::ACK));
        }
        QCOMPARE(m_line.Command("PQ0/800/100/10/2/0/1"), int(CTestLine::NAK));
        QCOMPARE(m_pSim->SequenceMemory(),
                 (QStringList{"PQ1/200/100/10/2/0/1/800/200", "PQ3/500/50/5/0/1/2", "PR1/1/2/3"}));
    }

    void silentAndNakFaults() {
        m_pSim->SetSilent(true);
        QCOMPARE(m_line.Command("CA"), -1);
        QCOMPARE(m_line.Query("QD").enq, -1);
        QCOMPARE(m_pSim->EnqCount(), 2);
        QVERIFY(m_pSim->CommandLog().isEmpty());
        m_pSim->SetSilent(false);
        QCOMPARE(m_line.Command("CB"), int(CTestLine::ACK));

        m_pSim->InjectNak(2);
        QCOMPARE(m_line.Command("CA"), int(CTestLine::NAK));
        QCOMPARE(m_line.Query("QD").enq, int(CTestLine::NAK));
        QCOMPARE(m_line.Command("PJ7"), int(CTestLine::ACK));

        m_pSim->RefuseCommand("PL");
        QCOMPARE(m_line.Command("PL800"), int(CTestLine::NAK));
        QCOMPARE(m_line.Command("PK50"), int(CTestLine::ACK));
        QCOMPARE(m_pSim->LoadedStep().volt10, 0);
        m_pSim->ClearRefusals();
        QCOMPARE(m_line.Command("PL800"), int(CTestLine::ACK));
        QCOMPARE(m_pSim->LoadedStep().volt10, 800);
        QCOMPARE(m_pSim->Status(), quint8(0)); // the NAKed CA was not carried out
    }

    void badBccAndReplyOverrides() {
        m_pSim->InjectBadBcc(1);
        CTestLine::Reply reply = m_line.Query("QD");
        QVERIFY(!reply.ok);
        QCOMPARE(reply.text, QByteArray("QD00"));
        QVERIFY(m_line.Query("QD").ok);

        m_pSim->SetReplyPayload("QD", "5");
        QCOMPARE(m_line.Status(), 5);
        m_pSim->SetReplyPayload("QX", "hello");
        QCOMPARE(m_line.Query("QX").text, QByteArray("QXhello"));

        const QByteArray raw = QByteArray("QA no frame") + char(CTestLine::ETX);
        m_pSim->SetRawReply("QA", raw);
        QCOMPARE(m_line.Query("QA").bytes, raw);
        m_pSim->SetRawReply("QA", CTestLine::Frame(QByteArray(255, 'V')));
        reply = m_line.Query("QA");
        QVERIFY(!reply.ok);
        QCOMPARE(reply.text.size(), 254);

        m_pSim->ClearReplyOverrides();
        QVERIFY(m_line.Query("QA").text.startsWith("QAVALDMARK SYSTEMS, VZR-T81"));
        QCOMPARE(m_line.Status(), 0);
        QCOMPARE(m_line.Query("QX").bytes, QByteArray(1, CTestLine::NAK));
    }

    void garbageAndFlood() {
        m_pSim->SendGarbage("abc\x02");
        QCOMPARE(m_line.ReadByte(5000), int('a'));
        QCOMPARE(m_line.ReadQuiet(200), QByteArray("bc\x02"));

        m_pSim->SetFlood(true);
        const QByteArray junk = m_line.ReadQuiet(1000, 300);
        QCOMPARE(junk.size(), 300);
        for (const char c : junk)
            QVERIFY(quint8(c) >= 0x20 && quint8(c) < 0x7F);
        m_pSim->SetFlood(false);
        m_line.ReadQuiet(100);
        QCOMPARE(m_line.ReadQuiet(100), QByteArray());
        QCOMPARE(m_line.Command("CB"), int(CTestLine::ACK));
    }

    void slowBytes() {
        m_pSim->SetByteDelayMs(20);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(m_line.Query("QD").ok);
        QVERIFY(timer.elapsed() >= 5 * 20); // six reply bytes, five pauses
        QVERIFY(QTest::qWaitFor([this] { return m_pSim->AckCount() == 1; }));
        // a reply that takes longer than the wait for ACK: the wait starts with its last byte,
        // so an ACK that comes a little after that is still heard
        QVERIFY(m_line.Write(QByteArray(1, CTestLine::ENQ)));
        QCOMPARE(m_line.ReadByte(5000), int(CTestLine::ACK));
        QVERIFY(m_line.Write(CTestLine::Frame("QA")));
        // the whole frame, up to its BCC, however long the machine keeps us waiting
        QByteArray reply;
        while (!reply.endsWith(QByteArray(1, CTestLine::ETX))) {
            const int byte = m_line.ReadByte(5000);
            QVERIFY(byte >= 0);
            reply += char(byte);
        }
        QVERIFY(m_line.ReadByte(5000) >= 0);
        QVERIFY(reply.startsWith(CTestLine::STX + QByteArray("QAVALDMARK")));
        // the reply alone took longer than the wait: an ACK right after its last byte is heard
        QVERIFY(reply.size() * 20 > 500);
        QVERIFY(m_line.Write(QByteArray(1, CTestLine::ACK)));
        QVERIFY(QTest::qWaitFor([this] { return m_pSim->AckCount() == 2; }));
        m_pSim->SetByteDelayMs(600);
        QVERIFY(!m_line.Query("QD").ok); // a gap over 500 ms breaks the frame
    }

    void reopenAfterClose() {
        for (int i = 0; i < 3; ++i) {
            m_line.Close();
            QVERIFY(m_line.Open(m_pSim->PortPath()));
            QCOMPARE(m_line.Command("CB"), int(CTestLine::ACK));
        }
        QCOMPARE(m_pSim->CommandLog().size(), 3);

        // stopped and started again: a new terminal, the old one gone
        m_line.Close();
        m_pSim->Stop();
        QVERIFY(m_pSim->PortPath().isEmpty());
        m_pSim->Stop();
        QVERIFY(m_pSim->Start());
        QVERIFY(m_line.Open(m_pSim->PortPath()));
        QCOMPARE(m_line.Command("CB"), int(CTestLine::ACK));
    }

    void commandLogKeepsTheRecentPart() {
        QCOMPARE(m_pSim->LogCapacity(), CVzrT8100Sim::DEFAULT_LOG_CAPACITY);
        m_pSim->SetLogCapacity(4);
        for (const char* text : {"PJ1", "PJ2", "PJ3", "PJ4", "PJ5", "PJ6"})
            QCOMPARE(m_line.Command(text), int(CTestLine::ACK));
        QCOMPARE(m_pSim->CommandLog(), (QStringList{"PJ3", "PJ4", "PJ5", "PJ6"}));
        QCOMPARE(m_pSim->LoggedCount(), 6);
        // a smaller ring keeps the newest
        m_pSim->SetLogCapacity(2);
        QCOMPARE(m_pSim->CommandLog(), (QStringList{"PJ5", "PJ6"}));
        QCOMPARE(m_line.Command("PJ7"), int(CTestLine::ACK));
        QCOMPARE(m_pSim->CommandLog(), (QStringList{"PJ6", "PJ7"}));
        m_pSim->ClearLog();
        QVERIFY(m_pSim->CommandLog().isEmpty());
        QCOMPARE(m_line.Command("CB"), int(CTestLine::ACK));
        QCOMPARE(m_pSim->CommandLog(), QStringList{"CB"});
        QCOMPARE(m_pSim->LoggedCount(), 1);
    }

    void servingThreadSleepsUntilDue() {
        // idle, nothing on the line: nothing to wake up for
        qint64 before = m_pSim->WakeCount();
        QTest::qWait(600);
        QVERIFY2(m_pSim->WakeCount() - before <= 1,
                 qPrintable(QString::number(m_pSim->WakeCount())));

        // a series of three discharges a second apart, watched from outside without a query.
        // While a discharge is due the thread sleeps until it is: it wakes at least once while
        // the series runs (a busy machine may keep it off the processor past several dues,
        // which one wake-up then serves, or past all of them before counting began), and never
        // on a beat: at most twice a discharge, one wake-up a hair early. The held discharge bit
        // runs out without waking it.
        for (const char* text : {"PH0", "PK100", "PJ3", "CA", "CC"})
            QCOMPARE(m_line.Command(text), int(CTestLine::ACK));
        before = m_pSim->WakeCount();
        const bool seriesRunning = m_pSim->DischargesDone() < 3;
        QTRY_COMPARE_WITH_TIMEOUT(m_pSim->DischargesDone(), 3, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(m_pSim->Status(), CVzrT8100Sim::STATUS_RUNNING, 5000);
        if (seriesRunning)
            QTRY_VERIFY_WITH_TIMEOUT(m_pSim->WakeCount() > before, 20000);
        const qint64 woken = m_pSim->WakeCount() - before;
        QVERIFY2(woken <= 2 * 3, qPrintable(QString::number(woken)));

        // the automatic trigger is a timed event as well
        m_pSim->SetAutoTrigger(true, 300);
        for (const char* text : {"PK10", "PJ2", "CA"})
            QCOMPARE(m_line.Command(text), int(CTestLine::ACK));
        QTRY_COMPARE_WITH_TIMEOUT(m_pSim->DischargesDone(), 2, 20000);
    }

    void programPrintsItsPath() {
        QProcess program;
        program.start(VZR_SIM_PROGRAM, {"--model", "00 Ver.9.99", "--log", "--error-on-start", "2",
                                        "--auto-trigger=50", "--time-scale", "0.01"});
        QVERIFY(program.waitForStarted());
        QVERIFY(program.waitForReadyRead());
        while (!program.canReadLine()) {
            QVERIFY(program.waitForReadyRead());
        }
        const QString path = QString::fromLocal8Bit(program.readLine()).trimmed();
        QVERIFY2(path.startsWith("/dev/"), qPrintable(path));
        CTestLine line;
        QVERIFY(line.Open(path));
        QCOMPARE(line.Query("QA").text, QByteArray("QAVALDMARK SYSTEMS, VZR-T8100 Ver.9.99"));
        QCOMPARE(line.Command("CA"), int(CTestLine::ACK));
        QCOMPARE(line.Number("QC"), 2);
        // the error stays until it is cleared: then the next start runs, and the instrument
        // triggers by itself
        QCOMPARE(line.Command("CA"), int(CTestLine::ACK));
        QCOMPARE(line.Status(), 0);
        QCOMPARE(line.Command("PC0"), int(CTestLine::ACK));
        QCOMPARE(line.Command("PJ3"), int(CTestLine::ACK));
        QCOMPARE(line.Command("CA"), int(CTestLine::ACK));
        bool bSeen = false;
        for (int i = 0; i < 500; ++i) {
            const int status = line.Status();
            if (status & CVzrT8100Sim::STATUS_CONTACT_DISCHARGE) {
                bSeen = true;
            } else if (bSeen) {
                break;
            }
        }
        QVERIFY(bSeen);
        QCOMPARE(line.Number("QF"), 3);
        line.Close();
        program.closeWriteChannel(); // end of input is no reason to stop
        QVERIFY(!program.waitForFinished(200));
        program.terminate();
        QVERIFY(program.waitForFinished());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(
            program.readAllStandardError().startsWith("QA\nCA\nQC\nCA\nQD\nPC0\nPJ3\nCA\nQD\n"));

        QProcess bad;
        bad.start(VZR_SIM_PROGRAM, {"--time-scale", "zero"});
        QVERIFY(bad.waitForFinished());
        QCOMPARE(bad.exitCode(), 2);
        QVERIFY(bad.readAllStandardOutput().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSim)
#include "TestSim.moc"
