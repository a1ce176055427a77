#pragma once

#include "link/CRsBasicProtocol.h"

#include <QString>
#include <QStringList>

class CExecData;
class CSettingData;

// The VZR-T8100 controller: finds the instrument on the serial ports, sends its commands
// and queries and reads the replies. Connected means its port is open. Every operation
// reports failure by its result and fills its out-values with 0 or an empty text; nothing
// is retried here.
class CVzrT8100Cntl {
public:
    // Looked for anywhere in the reply to "QA".
    static constexpr const char* IDENT_TEXT = "VALDMARK SYSTEMS, VZR-T81";

    // Bits of the status byte ("QD").
    static constexpr quint8 STATUS_RUNNING = 0x01;
    static constexpr quint8 STATUS_CONTACT_DISCHARGE = 0x02;
    static constexpr quint8 STATUS_TRIGGER_ON = 0x04;
    static constexpr quint8 STATUS_AIR_DISCHARGE = 0x10;

    // The instrument takes voltages in units of 10 V and intervals in units of 10 ms.
    static constexpr qint32 VOLT_UNIT = 10;     // V
    static constexpr qint32 INTERVAL_UNIT = 10; // ms

    // The instrument's sequence memory holds at most this many steps, numbered 1..99.
    static constexpr int SEQUENCE_MAX_STEPS = 22;
    static constexpr int SEQUENCE_STEP_NO_MIN = 1;
    static constexpr int SEQUENCE_STEP_NO_MAX = 99;

    // Searches for the instrument at once: the port table must be set up before.
    CVzrT8100Cntl();
    virtual ~CVzrT8100Cntl();
    CVzrT8100Cntl(const CVzrT8100Cntl&) = delete;
    CVzrT8100Cntl& operator=(const CVzrT8100Cntl&) = delete;

    // Closes the port, then keeps the first listed port whose "QA" reply identifies the
    // instrument. The ports are listed and opened from one snapshot of the port table.
    bool Connect();
    // Ports the last Connect could not open, one "PATH: reason" line each, in port order
    // (a device the user may not open, one another program holds, a named port that is
    // not there).
    QStringList PortProblems() const { return m_listPortProblems; }
    bool IsConnected() const;
    int GetPortNo() const;

    bool Identify(QString& reply);
    bool StartTest();
    bool StopTest();
    bool TriggerOn();
    bool TriggerOff();
    // Its acknowledgement is of no interest: always true.
    bool SendPC0();
    bool GetStatus(quint8& status);
    // The error text, and when asked the code it stands for (0: no error).
    bool GetErrorText(QString& text, qint32* code = nullptr);
    bool GetInterval(qint32& interval);
    // "QJ" minus "QF"; the result is the outcome of "QF" alone. When asked, whole tells
    // whether both were answered: only then is the count a reading of the instrument.
    bool GetRemainingCount(qint32& count, bool* whole = nullptr);

    // Loads one step as the parameters of the next test.
    bool SendStep(const CExecData& step);
    // Stores a condition as step no (clamped to 1..99) of the sequence memory.
    bool SendSequenceStep(const CSettingData& cond, int no);
    // Stores the order of the sequence: steps 1..n, at most SEQUENCE_MAX_STEPS.
    bool SendSequenceProgram(int n);

    // Text of an error code of "QC".
    static QString ErrorText(qint32 code);
    // Reads a reply's payload (its first two characters dropped) as a decimal integer:
    // leading blanks and a sign allowed, stops at the first non-digit, 0 without digits.
    static qint32 PayloadToInt(const QString& reply);
    // The status byte of a "QD" reply: low nibbles of the first two payload bytes.
    static quint8 PayloadToStatus(const QString& reply);
    // A voltage (V) and an interval (ms) of a step or a condition in the instrument's
    // units, truncated toward zero: -8005 V is sent as -800.
    static constexpr qint32 ToVoltUnits(qint32 volts) { return volts / VOLT_UNIT; }
    static constexpr qint32 ToIntervalUnits(qint32 ms) { return ms / INTERVAL_UNIT; }

    // The last "QA" reply that identified the instrument (the search, Identify, every step
    // loaded); empty before any. Asking it costs no exchange on the line.
    QString IdentReply() const { return m_strIdentReply; }
    // The device of the open port, empty when none is open.
    QString PortPath() const;

    CRsBasicProtocol& GetProtocol() { return m_protocol; }
    const CRsBasicProtocol& GetProtocol() const { return m_protocol; }

private:
    bool QueryInt(const char* query, qint32& value);
    // "QA" identifying the instrument, "CB" acknowledged, then "PC0".
    bool Preamble();

    CRsBasicProtocol m_protocol;
    QStringList m_listPortProblems;
    QString m_strIdentReply;
};
