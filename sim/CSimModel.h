#pragma once

#include <QByteArray>
#include <QMap>
#include <QStringList>
#include <QtGlobal>

#include <chrono>
#include <optional>

// The state of the VZR-T8100 behind the line: loaded step, test running, trigger, the
// operator's gun, discharge series, error code and sequence memory. Time is passed in, so
// the model is tested without waiting. Not thread-safe; CVzrT8100Sim guards it.
class CSimModel {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr quint8 STATUS_RUNNING = 0x01;
    static constexpr quint8 STATUS_CONTACT_DISCHARGE = 0x02;
    static constexpr quint8 STATUS_TRIGGER_ON = 0x04;
    static constexpr quint8 STATUS_AIR_DISCHARGE = 0x10;

    static constexpr int DISC_CONTACT = 0;
    static constexpr int DISC_AIR = 1;

    // Trigger sources of "PI": the instrument's own trigger and the external input fire by
    // themselves (when the automatic trigger is on); GUN waits for the operator.
    static constexpr int TRIG_VZR = 0;
    static constexpr int TRIG_GUN = 1;
    static constexpr int TRIG_EXTERNAL = 2;
    static constexpr int TRIG_REMOTE = 3;

    // How long the discharge bit of a finished series stays visible: about two of the
    // computer's 250 ms polls. It is the computer's time, so the time scale leaves it alone.
    static constexpr int DEFAULT_HOLD_MS = 500;

    // The step loaded with PH/PI/PG/PL/PK/PJ, in the instrument's units.
    struct Step {
        int mode = DISC_CONTACT; // PH: 0 CONTACT, 1 AIR
        int trigger = 0;         // PI: trigger source 0..3
        int polarity = 0;        // PG: 0 +, 1 -
        int volt10 = 0;          // PL: 10 V units
        int interval10 = 100;    // PK: 10 ms units
        int count = 1;           // PJ: discharges
    };

    // One parsed command text; the parse decides ACK or NAK before anything is carried out.
    struct Command {
        enum Kind { Start, Stop, TriggerOn, TriggerOff, ClearError, Param, SeqStep, SeqProgram };
        Kind kind = Start;
        char param = 0;  // 'H','I','G','L','K','J' for Param
        int value = 0;   // Param value, or the step number of SeqStep
        QByteArray text; // SeqStep / SeqProgram as received
    };

    static std::optional<Command> ParseCommand(const QByteArray& text);

    void Execute(const Command& cmd, Clock::time_point now);
    // Payload of a reply (after the two leading characters); nullopt for an unknown query.
    std::optional<QByteArray> Query(const QByteArray& text, Clock::time_point now);
    // Runs the instrument's clock up to now: automatic trigger and due discharges.
    void Advance(Clock::time_point now);
    // Whether anything is timed.
    bool IsBusy() const { return NextDue().has_value(); }
    // When the next timed thing happens (automatic trigger, next discharge); nothing when
    // nothing is timed. The server sleeps until then: every timed part of the model must
    // show here, or it is only noticed at the next byte on the line. The status is worked
    // out on demand, so the end of a held discharge bit needs no wake-up.
    std::optional<Clock::time_point> NextDue() const;

    // The operator's gun, independent of the computer's "CC"/"CD": in CONTACT a press
    // starts a series that runs to its end; in AIR the instrument discharges while the gun
    // or the computer's trigger is on.
    void GunPress(Clock::time_point now);
    void GunRelease(Clock::time_point now);
    bool GunHeld() const { return m_bGun; }

    // Status as of the last time the clock was run.
    quint8 Status() const;
    Step LoadedStep() const { return m_step; }
    int ErrorCode() const { return m_nError; }
    int DischargesDone() const { return m_nDone; }
    QStringList SequenceMemory() const;

    void SetIdentPayload(const QByteArray& payload) { m_baIdent = payload; }
    QByteArray IdentPayload() const { return m_baIdent; }
    // The automatic trigger fires delayMs after "CA" for the sources VZR and EXTERNAL.
    void SetAutoTrigger(bool on, int delayMs);
    // The operator's gun is pulled by itself as long after "CA" for a GUN step, and held
    // until its series is done: a plan with GUN steps runs with nobody at the bench.
    void SetAutoGun(bool on);
    void SetTimeScale(double scale);
    double TimeScale() const { return m_dTimeScale; }
    // Off: the discharge bit clears the moment a series ends, as on an instrument that
    // does not hold it.
    void SetDischargeHold(bool on, int ms = DEFAULT_HOLD_MS);
    bool DischargeHold() const { return m_bHold; }
    void InjectErrorOnNextStart(int code) { m_oNextStartError = code; }
    // After n more discharges the instrument stops by itself and reports code; the error
    // stays until "PC0", and no test starts while it does. n <= 0 disarms.
    void StopAfterDischarges(int n, int code);

private:
    Clock::duration Interval() const;
    void Press(Clock::time_point now);
    void PauseAir();
    void BeginDischarge(Clock::time_point now);
    void EndDischarge(Clock::time_point when);
    void StopBySelf(int code);
    void ClearHold() { m_ucHeld = 0; }
    quint8 DischargeBit() const;

    Step m_step;
    bool m_bRunning = false;
    bool m_bTrigger = false; // the computer's trigger ("CC"/"CD", automatic trigger)
    bool m_bGun = false;     // the operator's gun is pressed
    bool m_bDischarging = false;
    int m_nActiveMode = DISC_CONTACT; // mode of the series under way
    int m_nDone = 0;
    int m_nError = 0;
    Clock::time_point m_tpNext; // next discharge of the series under way
    Clock::time_point m_tpNow;  // the clock as last run

    // The discharge bit of a finished series, shown until m_tpHeldUntil.
    bool m_bHold = true;
    int m_nHoldMs = DEFAULT_HOLD_MS;
    quint8 m_ucHeld = 0;
    Clock::time_point m_tpHeldUntil;

    bool m_bAutoTrigger = false;
    bool m_bAutoGun = false;
    int m_nAutoDelayMs = 100;
    bool m_bAutoPending = false;
    Clock::time_point m_tpAuto;
    double m_dTimeScale = 1.0;
    std::optional<int> m_oNextStartError;
    int m_nStopCountdown = 0;
    int m_nStopError = 0;

    QByteArray m_baIdent;
    QMap<int, QByteArray> m_mapSeqStep;
    QByteArray m_baSeqProgram;
};
