#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>

// Builds data-file bytes by hand from the stored layout, independently of CArchive, so
// the tests check the reader and the writer against the layout itself.
class ByteBuilder {
public:
    QByteArray bytes;

    ByteBuilder& U8(quint32 v) {
        bytes.append(static_cast<char>(v & 0xFF));
        return *this;
    }
    ByteBuilder& U16(quint32 v) { return U8(v).U8(v >> 8); }
    ByteBuilder& U32(quint32 v) { return U16(v & 0xFFFF).U16(v >> 16); }
    ByteBuilder& I32(qint32 v) { return U32(static_cast<quint32>(v)); }
    ByteBuilder& U64(quint64 v) {
        return U32(static_cast<quint32>(v)).U32(static_cast<quint32>(v >> 32));
    }
    ByteBuilder& Raw(const QByteArray& b) {
        bytes.append(b);
        return *this;
    }
    // UTF-16 text item as the program writes it: FF FE FF and the shortest length form.
    ByteBuilder& Text(const QString& s) {
        U8(0xFF).U16(0xFFFE);
        const quint64 n = static_cast<quint64>(s.size());
        if (n < 0xFF)
            U8(static_cast<quint32>(n));
        else if (n < 0xFFFE)
            U8(0xFF).U16(static_cast<quint32>(n));
        else
            U8(0xFF).U16(0xFFFF).U32(static_cast<quint32>(n));
        for (QChar c : s)
            U16(c.unicode());
        return *this;
    }
    ByteBuilder& Text(const char* s) { return Text(QString::fromUtf8(s)); }
    // 8-bit text item with a one-byte length.
    ByteBuilder& Text8(const QByteArray& s) { return U8(static_cast<quint32>(s.size())).Raw(s); }
    // Labels and marks: read and not compared, so a reader must take any text there. With
    // otherLabels set they are written as other texts in 8-bit form.
    bool otherLabels = false;
    ByteBuilder& LabelText(const QString& s) {
        return otherLabels ? Text8("#" + s.toLatin1().toLower() + "#") : Text(s);
    }
    ByteBuilder& LabelText(const char* s) { return LabelText(QString::fromUtf8(s)); }
    ByteBuilder& Label(const char* s, qint32 v) { return LabelText(s).I32(v); }

    struct Step {
        quint32 used = 3;
        qint32 testNo = 0, testPointNo = 0, discMode = 0, iecLevel = 4, trig = 1, volt = 200,
               pola = 0, count = 10, interval = 1000;
        QString version = QStringLiteral("Exec Data Ver.1.0.0.0");
    };
    ByteBuilder& StepRecord(const Step& s) {
        Text(s.version);
        LabelText("[m_ulUsed]").U32(s.used);
        Label("[m_lTestNo]", s.testNo);
        Label("[m_lTestPointNo]", s.testPointNo);
        Label("[m_nDiscMode]", s.discMode);
        Label("[m_nIecLevel]", s.iecLevel);
        Label("[m_nTrig]", s.trig);
        Label("[m_lVolt]", s.volt);
        Label("[m_nPola]", s.pola);
        Label("[m_lCount]", s.count);
        Label("[m_lInterval]", s.interval);
        return *this;
    }

    struct Setting {
        quint32 used = 3;
        qint32 testNo = 0, discMode = 0, iecLevel = 4, trig = 1;
        qint32 valueType = 0, value = 200, start = 200, end = 200, step = 100;
        std::array<qint32, 10> use{1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        std::array<qint32, 10> values{2000, 4000, 6000, 8000, 8000, 200, 200, 200, 200, 200};
        quint32 pola = 1;
        qint32 count = 10, interval = 1000;
        QString version = QStringLiteral("Setting Data Ver.1.0.0.0");
    };
    // A condition record followed by the given number of default-ish steps.
    ByteBuilder& SettingRecord(const Setting& s, const std::vector<Step>& steps = {}) {
        LabelText("### START SETTING DATA ###");
        Text(s.version);
        LabelText("[m_ulUsed]").U32(s.used);
        Label("[m_lTestNo]", s.testNo);
        Label("[m_nDiscMode]", s.discMode);
        Label("[m_nIecLevel]", s.iecLevel);
        Label("[m_nTrig]", s.trig);
        LabelText("@ START VOLT VALUE STRUCTURE @");
        Label("[m_nValueType]", s.valueType);
        Label("[m_lValue]", s.value);
        Label("[m_lStart]", s.start);
        Label("[m_lEnd]", s.end);
        Label("[m_lStep]", s.step);
        for (int i = 0; i < 10; ++i) {
            LabelText(QString::asprintf("[m_abUse[%d]]", i)).I32(s.use[i]);
            LabelText(QString::asprintf("[m_alValue[%d]]", i)).I32(s.values[i]);
        }
        LabelText("@ END VOLT VALUE STRUCTURE @");
        LabelText("[m_ulPola]").U32(s.pola);
        Label("[m_lCount]", s.count);
        Label("[m_lInterval]", s.interval);
        Label("m_edlList", static_cast<qint32>(steps.size()));
        for (size_t k = 0; k < steps.size(); ++k) {
            LabelText(QString::asprintf("ExecDataNo.%d", static_cast<int>(k + 1)));
            StepRecord(steps[k]);
        }
        LabelText("### END SETTING DATA ###");
        return *this;
    }

    // Items 1 to 5 with an empty comment list.
    ByteBuilder& Header(const QString& header = QStringLiteral("Valdmark VZR-T8100 Data File"),
                        const QString& version = QStringLiteral("File Ver.1.0.0.0")) {
        Text(header).Text(version).LabelText("App Ver.1.1.0.0").LabelText("[Test Point Comment]");
        return U16(0);
    }
};
