#pragma once

#include "CSimModel.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

#include <sys/types.h>

// A VZR-T8100 served on the master side of a pseudo-terminal: the program opens the slave
// path as its serial port. Serves on its own thread; every public call is thread-safe.
class CVzrT8100Sim {
public:
    using Step = CSimModel::Step;

    static constexpr quint8 STATUS_RUNNING = CSimModel::STATUS_RUNNING;
    static constexpr quint8 STATUS_CONTACT_DISCHARGE = CSimModel::STATUS_CONTACT_DISCHARGE;
    static constexpr quint8 STATUS_TRIGGER_ON = CSimModel::STATUS_TRIGGER_ON;
    static constexpr quint8 STATUS_AIR_DISCHARGE = CSimModel::STATUS_AIR_DISCHARGE;

    static constexpr char IDENT_TEXT[] = "VALDMARK SYSTEMS, VZR-T81";
    static constexpr char DEFAULT_MODEL_TEXT[] = "00 Ver.1.00";

    CVzrT8100Sim();
    ~CVzrT8100Sim();
    CVzrT8100Sim(const CVzrT8100Sim&) = delete;
    CVzrT8100Sim& operator=(const CVzrT8100Sim&) = delete;

    bool Start();
    void Stop();
    bool IsServing() const;
    QString PortPath() const;

    // The most recent correctly framed texts, oldest first: the log is a ring of
    // LogCapacity() entries, so a simulator that serves all day keeps its memory.
    QStringList CommandLog() const;
    void ClearLog();
    static constexpr int DEFAULT_LOG_CAPACITY = 4096;
    int LogCapacity() const;
    void SetLogCapacity(int capacity);
    // Texts logged since the start or the last ClearLog, the ones dropped from the ring too.
    qint64 LoggedCount() const;
    // Times the serving thread woke up: it sleeps until a byte comes or the next timed
    // event is due, never on a fixed beat (except while flooding the line).
    qint64 WakeCount() const;
    int EnqCount() const;
    int AckCount() const; // ACKs the computer sent for reply frames

    void SetModelText(const QString& text);
    void SetIdentText(const QString& text);
    // The automatic trigger fires delayMs after "CA" for the trigger sources VZR and
    // EXTERNAL; GUN and REMOTE steps wait for the gun or the computer's "CC".
    void SetAutoTrigger(bool on, int delayMs = 100);
    // GUN steps too: the operator's gun is pulled by itself after the same delay and held
    // until the series is done.
    void SetAutoGun(bool on);
    void SetTimeScale(double scale);
    // The discharge bit of a finished series stays visible for ms (on by default).
    void SetDischargeHold(bool on, int ms = CSimModel::DEFAULT_HOLD_MS);
    // Every byte takes its time on the line at 9600 baud (10 bits, about 1.04 ms), both
    // the computer's and the instrument's. Off by default.
    void SetLinePacing(bool on);
    bool LinePacing() const;

    // The operator's discharge gun, independent of the computer's trigger commands.
    void GunPress();
    void GunRelease();

    void SetSilent(bool silent);
    void InjectNak(int count = 1);
    void RefuseCommand(const QString& prefix);
    void ClearRefusals();
    void InjectBadBcc(int count = 1);
    void SetReplyPayload(const QString& query, const QByteArray& payload);
    void SetRawReply(const QString& query, const QByteArray& bytes);
    void ClearReplyOverrides();
    void SendGarbage(const QByteArray& bytes);
    void SetByteDelayMs(int ms);
    void SetFlood(bool on);
    void InjectErrorOnNextStart(int code);
    // The next count frames of this query (e.g. "QD") get no reply, then it answers again.
    void FailQuery(const QString& query, int count = 1);
    // The next count exchanges get no answer at all (not even to ENQ), then the line is back.
    void SilenceExchanges(int count);
    // After n more discharges the instrument stops by itself with error code; the error
    // stays until "PC0".
    void StopAfterDischarges(int n, int code);

    quint8 Status() const;
    QStringList SequenceMemory() const;
    Step LoadedStep() const;
    int ErrorCode() const;
    int DischargesDone() const;

    // Called on the serving thread with every correctly framed text as it arrives.
    void SetLogCallback(std::function<void(const QString&)> callback);

    // Frame helpers, shared with whoever needs to build the instrument's bytes.
    static quint8 Bcc(const QByteArray& text);
    static QByteArray Frame(const QByteArray& text);

private:
    enum class LineState { Idle, AwaitFrame, InFrame, AwaitBcc, AwaitAck };
    using Clock = CSimModel::Clock;

    void Serve();
    // Sleeps until a byte comes, the model's clock is due or the server is woken, and
    // reads what came into buffer (nRead bytes, 0 for none); false when serving ends.
    bool WaitForInput(char* buffer, size_t size, ssize_t& nRead);
    // Takes the bytes read and the clock's events, and writes the answers and any flood.
    void Answer(const char* buffer, ssize_t nRead);
    void HandleByte(char byte, Clock::time_point now, QByteArray& out, QStringList& logged);
    void HandleText(const QByteArray& text, Clock::time_point now, QByteArray& out);
    void AnswerEnq(QByteArray& out);
    void Tick(Clock::time_point now, QByteArray& out);
    // How long the serving thread may sleep: until the model's next event or the line
    // state's deadline, -1 for as long as nothing comes.
    int PollTimeoutMs(Clock::time_point now) const;
    void AppendLog(const QString& text);
    void WriteOut(const QByteArray& bytes);
    bool WriteAll(const char* data, qsizetype size, int waitMs);
    bool PauseUntil(Clock::time_point end);
    void PaceInput(qsizetype bytes, Clock::time_point now);
    void Wake();
    void CloseFds();
    QByteArray ModelIdent() const;

    mutable std::mutex m_mutex;
    // mutable: the instrument's clock runs on whenever anyone looks at it
    mutable CSimModel m_model;
    QStringList m_listLog; // ring: m_nLogHead is the oldest entry once it is full
    qsizetype m_nLogHead = 0;
    int m_nLogCapacity = DEFAULT_LOG_CAPACITY;
    qint64 m_nLogged = 0;
    qint64 m_nWakeups = 0;
    int m_nEnq = 0;
    int m_nAck = 0;
    QByteArray m_baModel;
    bool m_bIdentOverride = false;
    QByteArray m_baIdentOverride;
    bool m_bSilent = false;
    int m_nNakPending = 0;
    int m_nBadBccPending = 0;
    QStringList m_listRefused;
    QHash<QByteArray, QByteArray> m_hashPayload;
    QHash<QByteArray, QByteArray> m_hashRaw;
    QHash<QByteArray, int> m_hashFailQuery;
    int m_nSilentExchanges = 0;
    QByteArray m_baGarbage;
    bool m_bFlood = false;
    Clock::time_point m_tpFlood;
    quint8 m_ucFloodByte = 0;
    std::function<void(const QString&)> m_fnLog;

    LineState m_state = LineState::Idle;
    Clock::time_point m_tpState; // when the present line state was entered or last fed
    QByteArray m_baFrame;
    quint8 m_ucBcc = 0;

    std::atomic<int> m_nByteDelayMs{0};
    std::atomic<bool> m_bPacing{false};
    Clock::time_point m_tpInputDone; // serving thread only: the computer's bytes all arrived
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
    int m_fdMaster = -1;
    int m_fdSlave = -1;
    int m_afdWake[2] = {-1, -1};
    QString m_strPath;
};
