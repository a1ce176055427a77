#include "RunRecordFormat.h"

#include "data/TestPoints.h"
#include "settings/CTestProperty.h"

#include <QCryptographicHash>
#include <QTimeZone>
#include <QtEndian>

#include <cstring>

namespace RunRecordFormat {

const PropertyKey PROPERTY_KEYS[PROPERTY_KEY_COUNT] = {
    {"企業名", &CTestProperty::m_strCompanyName},
    {"試験場所", &CTestProperty::m_strTestPlace},
    {"試験器 モデル名", &CTestProperty::m_strEquipmentModel},
    {"試験器 シリアルNo.", &CTestProperty::m_strEquipmentSerialNo},
    {"放電ガン モデル名", &CTestProperty::m_strGunModel},
    {"放電ガン シリアルNo.", &CTestProperty::m_strGunSerialNo},
    {"放電カップ モデル名", &CTestProperty::m_strCupModel},
    {"放電カップ シリアルNo.", &CTestProperty::m_strCupSerialNo},
    {"CRユニット モデル名", &CTestProperty::m_strCrUnitModel},
    {"CRユニット シリアルNo.", &CTestProperty::m_strCrUnitSerialNo},
    {"品名/型名", &CTestProperty::m_strModel},
    {"シリアル番号", &CTestProperty::m_strSerial},
    {"試験者名", &CTestProperty::m_strOperator},
    {"規格名", &CTestProperty::m_strStandard},
    {"温度", &CTestProperty::m_strTemperature},
    {"湿度", &CTestProperty::m_strHumidity},
};

namespace {

const char* const COLUMN_HEADINGS[COLUMN_COUNT] = {
    "時刻",     "イベント",    "Step No.",     "放電モード", "IEC LEVEL", "トリガ", "極性",
    "電圧[kV]", "放電間隔[s]", "放電回数[回]", "判定",       "コメント",  "詳細",   "コード",
};

const char* const EVENT_TOKENS[EVENT_COUNT] = {
    "START", "LOAD", "DISCHARGE",        "COMPLETE",   "JUDGE", "JUDGE_ALL", "COMMENTS_CLEARED",
    "STOP",  "TRIG", "INSTRUMENT_ERROR", "COMM_ERROR", "END",   "REPORT",    "RESTORE",
    "CLOSE",
};

const char* const JUDGE_TEXTS[] = {"------", "A", "B", "C", "D"};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int Digits(const char* p, int n) {
    int v = 0;
    for (int i = 0; i < n; ++i)
        v = v * 10 + (p[i] - '0');
    return v;
}

void Put(char* p, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        p[i] = char('0' + value % 10);
        value /= 10;
    }
}

} // namespace

const char* ColumnHeading(int column) {
    return column >= 0 && column < COLUMN_COUNT ? COLUMN_HEADINGS[column] : "";
}

const char* EventToken(Event event) {
    return event >= 0 && event < EVENT_COUNT ? EVENT_TOKENS[event] : "";
}

int EventOfToken(QByteArrayView token) {
    for (int e = 0; e < EVENT_COUNT; ++e) {
        if (token == QByteArrayView(EVENT_TOKENS[e]))
            return e;
    }
    return -1;
}

const char* JudgePathText(CRunSequencer::JudgePath path) {
    switch (path) {
    case CRunSequencer::JUDGED_AUTO:
        return "自動A";
    case CRunSequencer::JUDGED_DIALOG:
        return "判定ダイアログ";
    case CRunSequencer::JUDGED_APPLY:
        return "確定";
    case CRunSequencer::JUDGED_DISCHARGE:
        return "放電開始";
    case CRunSequencer::JUDGED_OPENING:
        return "開始時";
    case CRunSequencer::JUDGED_RESTORED:
        return "復元";
    }
    return "";
}

QByteArray TimeText(const QDateTime& time) {
    const QDateTime local = time.toLocalTime();
    const QDate d = local.date();
    const QTime t = local.time();
    char text[TIME_TEXT_SIZE];
    Put(text, d.year() > 0 && d.year() <= 9999 ? d.year() : 0, 4);
    text[4] = '/';
    Put(text + 5, d.month(), 2);
    text[7] = '/';
    Put(text + 8, d.day(), 2);
    text[10] = ' ';
    Put(text + 11, t.hour(), 2);
    text[13] = ':';
    Put(text + 14, t.minute(), 2);
    text[16] = ':';
    Put(text + 17, t.second(), 2);
    text[19] = '.';
    Put(text + 20, t.msec(), 3);
    return QByteArray(text, TIME_TEXT_SIZE);
}

bool IsTimeText(QByteArrayView text) {
    if (text.size() != TIME_TEXT_SIZE)
        return false;
    const char* p = text.data();
    static const char form[] = "0000/00/00 00:00:00.000";
    for (int i = 0; i < TIME_TEXT_SIZE; ++i) {
        if (form[i] == '0' ? !IsDigit(p[i]) : p[i] != form[i])
            return false;
    }
    const int month = Digits(p + 5, 2), day = Digits(p + 8, 2);
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && Digits(p + 11, 2) < 24 &&
           Digits(p + 14, 2) < 60 && Digits(p + 17, 2) < 61;
}

QDateTime ParseTime(QByteArrayView text) {
    if (!IsTimeText(text))
        return {};
    const char* p = text.data();
    const QDate date(Digits(p, 4), Digits(p + 5, 2), Digits(p + 8, 2));
    const QTime time(Digits(p + 11, 2), Digits(p + 14, 2), qMin(Digits(p + 17, 2), 59),
                     Digits(p + 20, 3));
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time);
}

QDateTime ParseTime(QByteArrayView text, QByteArrayView offset) {
    const QDateTime local = ParseTime(text);
    if (offset.isEmpty() || !local.isValid())
        return local;
    const char* p = offset.data();
    if (offset.size() != 6 || (p[0] != '+' && p[0] != '-') || !IsDigit(p[1]) || !IsDigit(p[2]) ||
        p[3] != ':' || !IsDigit(p[4]) || !IsDigit(p[5]))
        return {};
    const int magnitude = Digits(p + 1, 2) * 3600 + Digits(p + 4, 2) * 60;
    if (Digits(p + 4, 2) > 59 || magnitude > 14 * 3600) // as far as any zone is from UTC
        return {};
    const int seconds = p[0] == '-' ? -magnitude : magnitude;
    return QDateTime(local.date(), local.time(), QTimeZone(seconds));
}

QByteArray OffsetText(const QDateTime& time) {
    const int offset = time.toLocalTime().offsetFromUtc() / 60;
    const int magnitude = offset < 0 ? -offset : offset;
    char text[6];
    text[0] = offset < 0 ? '-' : '+';
    Put(text + 1, magnitude / 60 % 100, 2);
    text[3] = ':';
    Put(text + 4, magnitude % 60, 2);
    return QByteArray(text, 6);
}

QByteArrayView JudgeText(qint32 judge) {
    return judge >= JUDGE_NONE && judge <= JUDGE_D ? QByteArrayView(JUDGE_TEXTS[judge])
                                                   : QByteArrayView();
}

int JudgeOfText(QByteArrayView text) {
    for (int j = JUDGE_NONE; j <= JUDGE_D; ++j) {
        if (text == QByteArrayView(JUDGE_TEXTS[j]))
            return j;
    }
    return -1;
}

QByteArray PlanHash(const CExecList& steps, const QStringList& testPoints) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayView("VZR-T8100 run list 1"));
    auto add = [&hash](quint32 v) {
        const quint32 le = qToLittleEndian(v);
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(&le), sizeof le));
    };
    add(quint32(steps.size()));
    for (const auto& step : steps) {
        // the lists correct a polarity of 2 or more to "-" before anyone sees the step
        const qint32 pola = step->m_nPola >= 2 ? POLA_MINUS : step->m_nPola;
        for (quint32 v : {step->m_ulUsed, quint32(step->m_lTestNo), quint32(step->m_lTestPointNo),
                          quint32(step->m_nDiscMode), quint32(step->m_nIecLevel),
                          quint32(step->m_nTrig), quint32(step->m_lVolt), quint32(pola),
                          quint32(step->m_lCount), quint32(step->m_lInterval)})
            add(v);
    }
    // a record of other points (other names, another order) is another run
    if (!testPoints.isEmpty()) {
        hash.addData(QByteArrayView("test points"));
        add(quint32(testPoints.size()));
        for (const QString& name : testPoints) {
            const QByteArray utf8 = name.toUtf8();
            add(quint32(utf8.size()));
            hash.addData(utf8);
        }
    }
    return hash.result().toHex();
}

QByteArray StepRanges(const CExecList& steps, const QStringList& testPoints, int point) {
    QByteArray text;
    qint64 first = -1;
    const auto close = [&](qint64 end) {
        if (!text.isEmpty())
            text.append(' ');
        text.append(QByteArray::number(first + 1));
        if (end > first + 1)
            text.append('-').append(QByteArray::number(end));
        first = -1;
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        if (text.size() > STEP_RANGES_BYTES) {
            // a run list read from a file may scatter a point: the line stays readable
            text.append(" ...");
            return text;
        }
        const bool mine = TestPoints::PointOf(*steps[i], testPoints) == point;
        if (mine && first < 0)
            first = qint64(i);
        else if (!mine && first >= 0)
            close(qint64(i));
    }
    if (first >= 0)
        close(qint64(steps.size()));
    return text;
}

namespace {
bool NeedsGuard(QByteArrayView text) {
    if (text.isEmpty())
        return false;
    switch (text.front()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r':
    case '\'':
        return true;
    default:
        return false;
    }
}
} // namespace

QByteArray GuardText(QByteArrayView utf8) {
    QByteArray text;
    if (NeedsGuard(utf8))
        text.append('\'');
    text.append(utf8);
    return text;
}

QByteArrayView UnguardText(QByteArrayView field) {
    if (field.size() >= 2 && field.front() == '\'' && NeedsGuard(field.sliced(1)))
        return field.sliced(1);
    return field;
}

void AppendField(QByteArray& line, QByteArrayView utf8) {
    bool quote = false;
    for (char c : utf8) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n') {
            quote = true;
            break;
        }
    }
    if (!quote) {
        line.append(utf8);
        return;
    }
    line.append('"');
    for (char c : utf8) {
        if (c == '"')
            line.append('"');
        line.append(c);
    }
    line.append('"');
}

int SplitFields(QByteArrayView line, QByteArrayView* fields, int maxFields, QByteArray& scratch) {
    scratch.resize(0); // keeps its room: a line after line needs no new allocation
    scratch.reserve(line.size());
    const char* p = line.data();
    const qsizetype n = line.size();
    qsizetype i = 0;
    int count = 0;
    while (true) {
        if (count >= maxFields)
            return -1;
        if (i < n && p[i] == '"') {
            // quoted: up to the quote not followed by another
            const qsizetype start = i + 1;
            qsizetype j = start;
            bool doubled = false;
            while (true) {
                const void* q = j < n ? std::memchr(p + j, '"', size_t(n - j)) : nullptr;
                if (!q)
                    return -1; // never closed
                j = static_cast<const char*>(q) - p;
                if (j + 1 < n && p[j + 1] == '"') {
                    doubled = true;
                    j += 2;
                    continue;
                }
                break;
            }
            if (!doubled) {
                fields[count++] = QByteArrayView(p + start, j - start);
            } else {
                const qsizetype from = scratch.size();
                for (qsizetype k = start; k < j; ++k) {
                    scratch.append(p[k]);
                    if (p[k] == '"')
                        ++k; // the second of a pair
                }
                fields[count++] = QByteArrayView(scratch.constData() + from, scratch.size() - from);
            }
            i = j + 1;
            if (i == n)
                return count;
            if (p[i] != ',')
                return -1; // text after the closing quote
            ++i;
        } else {
            const void* c = i < n ? std::memchr(p + i, ',', size_t(n - i)) : nullptr;
            const qsizetype end = c ? static_cast<const char*>(c) - p : n;
            const QByteArrayView field(p + i, end - i);
            if (field.contains('"'))
                return -1; // a quote inside an unquoted field
            fields[count++] = field;
            if (!c)
                return count;
            i = end + 1;
        }
    }
}

} // namespace RunRecordFormat
