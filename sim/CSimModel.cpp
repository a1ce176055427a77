#include "CSimModel.h"

#include <cmath>

namespace {

// A decimal number as the computer writes it with %d: optional minus, digits, nothing else.
std::optional<int> ParseInt(const QByteArray& text) {
    int i = 0;
    bool bNegative = false;
    if (i < text.size() && text[i] == '-') {
        bNegative = true;
        ++i;
    }
    const int nDigits = int(text.size()) - i;
    if (nDigits < 1 || nDigits > 9) {
        return std::nullopt;
    }
    int value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return bNegative ? -value : value;
}

// "n/a/b/c": the leading number and every field after a slash.
std::optional<QList<int>> ParseFields(const QByteArray& text) {
    QList<int> values;
    for (const QByteArray& part : text.split('/')) {
        const std::optional<int> value = ParseInt(part);
        if (!value) {
            return std::nullopt;
        }
        values.append(*value);
    }
    return values;
}

using Command = CSimModel::Command;

// "PQn/..." loads sequence step n (1..99: six fields, two more for a sweep); "PRp/s/..."
// orders a program's steps (at least one, each 1..99).
std::optional<Command> ParseSequence(const QByteArray& text) {
    const std::optional<QList<int>> fields = ParseFields(text.mid(2));
    if (!fields) {
        return std::nullopt;
    }
    Command cmd;
    if (text[1] == 'Q') {
        const int nStep = fields->at(0);
        const qsizetype nFields = fields->size() - 1;
        if (nStep < 1 || nStep > 99 || (nFields != 6 && nFields != 8)) {
            return std::nullopt;
        }
        cmd.kind = Command::SeqStep;
        cmd.value = nStep;
    } else {
        if (fields->size() < 2) {
            return std::nullopt;
        }
        for (qsizetype i = 1; i < fields->size(); ++i) {
            if (fields->at(i) < 1 || fields->at(i) > 99) {
                return std::nullopt;
            }
        }
        cmd.kind = Command::SeqProgram;
    }
    cmd.text = text;
    return cmd;
}

// "P" + a letter + a number: one value of the step to load, within its range.
std::optional<Command> ParseParam(char letter, const QByteArray& rest) {
    const std::optional<int> value = ParseInt(rest);
    if (!value) {
        return std::nullopt;
    }
    const int v = *value;
    bool bValid = false;
    switch (letter) {
    case 'H': // discharge mode
    case 'G': // polarity
        bValid = v == 0 || v == 1;
        break;
    case 'I': // trigger source
        bValid = v >= 0 && v <= 3;
        break;
    case 'L': // voltage, either polarity sign is taken as given
        bValid = true;
        break;
    case 'K': // interval
    case 'J': // count
        bValid = v >= 0;
        break;
    default:
        break;
    }
    if (!bValid) {
        return std::nullopt;
    }
    Command cmd;
    cmd.kind = Command::Param;
    cmd.param = letter;
    cmd.value = v;
    return cmd;
}

} // namespace

std::optional<CSimModel::Command> CSimModel::ParseCommand(const QByteArray& text) {
    static const struct {
        const char* text;
        Command::Kind kind;
    } plain[] = {{"CA", Command::Start},
                 {"CB", Command::Stop},
                 {"CC", Command::TriggerOn},
                 {"CD", Command::TriggerOff},
                 {"PC0", Command::ClearError}};
    for (const auto& entry : plain) {
        if (text == entry.text) {
            Command cmd;
            cmd.kind = entry.kind;
            return cmd;
        }
    }
    if (text.size() < 3 || text[0] != 'P') {
        return std::nullopt;
    }
    if (text[1] == 'Q' || text[1] == 'R') {
        return ParseSequence(text);
    }
    return ParseParam(text[1], text.mid(2));
}

void CSimModel::Execute(const Command& cmd, Clock::time_point now) {
    Advance(now);
    switch (cmd.kind) {
    case Command::Start:
        if (m_oNextStartError) {
            m_nError = *m_oNextStartError;
            m_oNextStartError.reset();
            return;
        }
        // an instrument in error starts nothing until the error is cleared with PC0
        if (m_nError != 0) {
            return;
        }
        m_bRunning = true;
        m_bDischarging = false;
        ClearHold();
        m_nDone = 0;
        m_bAutoPending =
            (m_bAutoTrigger && (m_step.trigger == TRIG_VZR || m_step.trigger == TRIG_EXTERNAL)) ||
            (m_bAutoGun && m_step.trigger == TRIG_GUN);
        m_tpAuto = now + std::chrono::milliseconds(m_nAutoDelayMs);
        // an AIR trigger that is already held discharges as soon as the test runs
        if ((m_bTrigger || m_bGun) && m_step.mode == DISC_AIR) {
            BeginDischarge(now);
        }
        return;
    case Command::Stop:
        m_bRunning = false;
        m_bTrigger = false;
        m_bDischarging = false;
        ClearHold();
        m_bAutoPending = false;
        return;
    case Command::TriggerOn:
        m_bTrigger = true;
        Press(now);
        return;
    case Command::TriggerOff:
        m_bTrigger = false;
        PauseAir();
        return;
    case Command::ClearError:
        m_nError = 0;
        return;
    case Command::Param:
        switch (cmd.param) {
        case 'H':
            m_step.mode = cmd.value;
            break;
        case 'I':
            m_step.trigger = cmd.value;
            break;
        case 'G':
            m_step.polarity = cmd.value;
            break;
        case 'L':
            m_step.volt10 = cmd.value;
            break;
        case 'K':
            m_step.interval10 = cmd.value;
            break;
        case 'J':
            m_step.count = cmd.value;
            // a new count starts from nothing done
            if (!m_bDischarging) {
                m_nDone = 0;
            }
            break;
        default:
            break;
        }
        return;
    case Command::SeqStep:
        m_mapSeqStep.insert(cmd.value, cmd.text);
        return;
    case Command::SeqProgram:
        m_baSeqProgram = cmd.text;
        return;
    }
}

std::optional<QByteArray> CSimModel::Query(const QByteArray& text, Clock::time_point now) {
    Advance(now);
    if (text == "QA") {
        return m_baIdent;
    }
    if (text == "QC") {
        return QByteArray::number(m_nError);
    }
    if (text == "QD") {
        const quint8 status = Status();
        // four bits in the low nibble of each character, bits 0..3 first
        QByteArray payload(2, '0');
        payload[0] = char('0' + (status & 0x0F));
        payload[1] = char('0' + ((status >> 4) & 0x0F));
        return payload;
    }
    if (text == "QE") {
        // the time since the last discharge of the series under way (since its start
        // before the first), in the instrument's 10 ms units; 0 while nothing discharges
        if (!m_bDischarging) {
            return QByteArray("0");
        }
        const Clock::time_point last = m_tpNext - Interval();
        const double us =
            double(std::chrono::duration_cast<std::chrono::microseconds>(now - last).count());
        const double units = qBound(0.0, us / (10000.0 * m_dTimeScale), 1.0e9);
        return QByteArray::number(qint64(units));
    }
    if (text == "QJ") {
        return QByteArray::number(m_step.count);
    }
    if (text == "QF") {
        return QByteArray::number(m_nDone);
    }
    return std::nullopt;
}

void CSimModel::Advance(Clock::time_point now) {
    if (now > m_tpNow) {
        m_tpNow = now;
    }
    if (m_bAutoPending && now >= m_tpAuto) {
        m_bAutoPending = false;
        if (m_bRunning) {
            m_bTrigger = true;
            Press(m_tpAuto);
        }
    }
    while (m_bDischarging && now >= m_tpNext) {
        const Clock::time_point at = m_tpNext;
        ++m_nDone;
        if (m_nStopCountdown > 0 && --m_nStopCountdown == 0) {
            StopBySelf(m_nStopError);
            break;
        }
        if (m_nDone >= m_step.count) {
            EndDischarge(at);
            break;
        }
        m_tpNext += Interval();
    }
}

std::optional<CSimModel::Clock::time_point> CSimModel::NextDue() const {
    std::optional<Clock::time_point> due;
    if (m_bAutoPending) {
        due = m_tpAuto;
    }
    if (m_bDischarging && (!due || m_tpNext < *due)) {
        due = m_tpNext;
    }
    return due;
}

void CSimModel::GunPress(Clock::time_point now) {
    Advance(now);
    const bool bEdge = !m_bGun;
    m_bGun = true;
    if (bEdge) {
        Press(now);
    }
}

void CSimModel::GunRelease(Clock::time_point now) {
    Advance(now);
    m_bGun = false;
    PauseAir();
}

quint8 CSimModel::Status() const {
    quint8 status = 0;
    if (m_bRunning) {
        status |= STATUS_RUNNING;
    }
    if (m_bTrigger || m_bGun) {
        status |= STATUS_TRIGGER_ON;
    }
    if (m_bDischarging) {
        status |= DischargeBit();
    }
    if (m_ucHeld != 0 && m_tpNow < m_tpHeldUntil) {
        status |= m_ucHeld;
    }
    return status;
}

QStringList CSimModel::SequenceMemory() const {
    QStringList list;
    for (const QByteArray& text : m_mapSeqStep) {
        list.append(QString::fromLatin1(text));
    }
    if (!m_baSeqProgram.isEmpty()) {
        list.append(QString::fromLatin1(m_baSeqProgram));
    }
    return list;
}

void CSimModel::SetAutoTrigger(bool on, int delayMs) {
    m_bAutoTrigger = on;
    m_nAutoDelayMs = qMax(0, delayMs);
    if (!on) {
        m_bAutoPending = false;
    }
}

void CSimModel::SetAutoGun(bool on) {
    m_bAutoGun = on;
    if (!on && m_step.trigger == TRIG_GUN) {
        m_bAutoPending = false;
    }
}

void CSimModel::SetTimeScale(double scale) {
    // a zero, negative or absurd scale would stop the clock or run it backwards
    if (std::isfinite(scale) && scale > 0.0) {
        m_dTimeScale = scale;
    }
}

void CSimModel::SetDischargeHold(bool on, int ms) {
    m_bHold = on;
    m_nHoldMs = qMax(0, ms);
    if (!on) {
        ClearHold();
    }
}

void CSimModel::StopAfterDischarges(int n, int code) {
    m_nStopCountdown = qMax(0, n);
    m_nStopError = code;
}

CSimModel::Clock::duration CSimModel::Interval() const {
    const double us = double(qMax(0, m_step.interval10)) * 10000.0 * m_dTimeScale;
    // at least a microsecond, so a series always moves forward in time
    const double clamped = qBound(1.0, us, 1.0e12);
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::micro>(clamped));
}

// A press of either trigger: starts a series when the test runs and none is under way.
void CSimModel::Press(Clock::time_point now) {
    if (!m_bRunning || m_bDischarging) {
        return;
    }
    // a new press after a finished series counts again from the start
    if (m_nDone >= m_step.count) {
        m_nDone = 0;
    }
    BeginDischarge(now);
}

// A CONTACT series runs to its end once pressed; AIR discharging needs a trigger held.
void CSimModel::PauseAir() {
    if (m_bDischarging && m_nActiveMode == DISC_AIR && !m_bTrigger && !m_bGun) {
        m_bDischarging = false;
    }
}

void CSimModel::BeginDischarge(Clock::time_point now) {
    ClearHold();
    m_nActiveMode = m_step.mode;
    m_bDischarging = true;
    m_tpNext = now + Interval();
    if (m_nDone >= m_step.count) {
        EndDischarge(now);
    }
}

void CSimModel::EndDischarge(Clock::time_point when) {
    if (m_bHold) {
        m_ucHeld = DischargeBit();
        m_tpHeldUntil = when + std::chrono::milliseconds(m_nHoldMs);
    }
    m_bDischarging = false;
    m_bTrigger = false;
}

void CSimModel::StopBySelf(int code) {
    m_bRunning = false;
    m_bTrigger = false;
    m_bDischarging = false;
    m_bAutoPending = false;
    ClearHold();
    m_nError = code;
}

quint8 CSimModel::DischargeBit() const {
    return m_nActiveMode == DISC_AIR ? STATUS_AIR_DISCHARGE : STATUS_CONTACT_DISCHARGE;
}
