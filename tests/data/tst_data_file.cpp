// The document and its data file, checked against hand-built bytes.
#include "ByteBuilder.h"
#include "HostileStream.h"
#include "common/DiskFull.h"
#include "common/Plans.h"

#include "data/CArchive.h"
#include "data/CPlanListModel.h"
#include "data/CVzrT8100Doc.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <limits>
#include <unistd.h>

namespace {
// The bytes as a pipe serves them (no length to ask for), or as a file does.
std::unique_ptr<QIODevice> Source(const QByteArray& bytes, bool sequential) {
    std::unique_ptr<QIODevice> device;
    if (sequential) {
        device = std::make_unique<HostileStream>(bytes, QByteArray());
    } else {
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(bytes);
        device = std::move(buffer);
    }
    device->open(QIODevice::ReadOnly);
    return device;
}

const QString kHeaderText = QStringLiteral("Valdmark VZR-T8100 Data File");

int LoadDoc(CVzrT8100Doc& doc, const QByteArray& bytes) {
    QBuffer buf;
    buf.setData(bytes);
    buf.open(QIODevice::ReadOnly);
    CArchive ar(&buf, CArchive::load);
    return doc.Serialize(ar);
}

QByteArray StoreDoc(CVzrT8100Doc& doc) {
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    {
        CArchive ar(&buf, CArchive::store);
        doc.Serialize(ar);
    }
    return buf.data();
}

// Items 7 to 12 of a file with the given conditions and run-list steps.
ByteBuilder& Body(ByteBuilder& b, const std::vector<ByteBuilder::Setting>& settings,
                  const std::vector<std::vector<ByteBuilder::Step>>& settingSteps,
                  const std::vector<ByteBuilder::Step>& steps) {
    b.Label("[Setting Data Count]", static_cast<qint32>(settings.size()));
    for (size_t i = 0; i < settings.size(); ++i)
        b.SettingRecord(settings[i], i < settingSteps.size() ? settingSteps[i]
                                                             : std::vector<ByteBuilder::Step>{});
    b.Label("[Exec Data Count]", static_cast<qint32>(steps.size()));
    for (const auto& s : steps)
        b.StepRecord(s);
    return b;
}

// The file a new, unchanged document writes.
QByteArray DefaultFile() {
    ByteBuilder b;
    b.Header();
    return Body(b, {ByteBuilder::Setting{}}, {{ByteBuilder::Step{}}}, {ByteBuilder::Step{}}).bytes;
}

// A plan of two conditions (a sweep in both polarities and an AIR multiple), a comment
// list and a run list with one step more than the plans hold.
QByteArray RicherFile(bool otherLabels = false) {
    ByteBuilder b;
    b.otherLabels = otherLabels;
    b.Text(kHeaderText).Text("File Ver.1.0.0.0").LabelText("App Ver.1.1.0.0");
    b.LabelText("[Test Point Comment]").U16(2).Text("first").Text8("second");
    ByteBuilder::Setting a;
    a.valueType = VALUE_SWEEP;
    a.start = 2000;
    a.end = 3000;
    a.step = 1000;
    a.pola = 3;
    ByteBuilder::Setting m;
    m.testNo = 1;
    m.discMode = DISC_AIR;
    m.valueType = VALUE_MULTI;
    m.use = {0, 1, 0, 0, 0, 0, 0, 0, 0, 0};
    std::vector<ByteBuilder::Step> sa(4), sm(1);
    for (int i = 0; i < 4; ++i) {
        sa[i].volt = 2000 + 1000 * (i / 2);
        sa[i].pola = i % 2;
    }
    sm[0].testNo = 1;
    sm[0].discMode = DISC_AIR;
    sm[0].volt = 4000;
    std::vector<ByteBuilder::Step> run = sa;
    run.push_back(sm[0]);
    run.push_back(ByteBuilder::Step{});
    return Body(b, {a, m}, {sa, sm}, run).bytes;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A plan that differs from a new document's in every list: three sweeps after its condition.
void FillPlan(CVzrT8100Doc& doc) {
    std::vector<CSettingData> conds(1);
    for (int i = 0; i < 3; ++i) {
        conds.push_back(plans::Sweep(1000 * (i + 1), 1000 * (i + 1) + 500, 100));
        conds.back().m_nDiscMode = i % 2;
        conds.back().m_nIecLevel = i;
        conds.back().m_nTrig = TRIG_EXTERNAL;
        conds.back().m_lCount = 60000;
        conds.back().m_lInterval = 50;
    }
    plans::SetPlan(doc, conds);
    doc.GetCommentList() = QStringList{"c1", QString::fromUtf8("二番目"), QString()};
}

std::vector<std::pair<QString, QByteArray>> SeedFiles() {
    CVzrT8100Doc plain;
    CVzrT8100Doc full;
    FillPlan(full);
    CVzrT8100Doc multi;
    auto& m = *multi.GetSettingList()[0];
    m.m_value.m_nValueType = VALUE_MULTI;
    m.m_value.m_abUse = {1, 1, 1, 0, 1, 0, 0, 0, 0, 1};
    m.m_ulPola = POLA_BIT_MINUS;
    m.MakeExecList(m.m_edlList);
    multi.RebuildExecList();
    return {{"default.vzt", StoreDoc(plain)},
            {"sweeps.vzt", StoreDoc(full)},
            {"multi.vzt", StoreDoc(multi)},
            {"handmade.vzt", RicherFile()}};
}
} // namespace

class TestDataFile : public QObject {
    Q_OBJECT
private slots:
    void newDocument() {
        CVzrT8100Doc doc;
        QCOMPARE(doc.GetSettingList().size(), size_t(1));
        const CSettingData& s = *doc.GetSettingList()[0];
        QCOMPARE(s.m_lTestNo, 0);
        QCOMPARE(s.m_edlList.size(), size_t(1));
        QCOMPARE(doc.GetExecList().size(), size_t(1));
        QVERIFY(*doc.GetExecList()[0] == *s.m_edlList[0]);
        QVERIFY(doc.GetExecList()[0].get() != s.m_edlList[0].get());
        QVERIFY(!doc.IsModified());
        QVERIFY(!doc.IsLoadError());
        QVERIFY(doc.GetCommentList().isEmpty());
        doc.SetModifiedFlag();
        QVERIFY(doc.IsModified());
        doc.SetPathName("/tmp/x/plan.vzt");
        QCOMPARE(doc.GetTitle(), QString("plan.vzt"));
        QCOMPARE(
            CVzrT8100Doc::DocTemplateString(),
            QString("\nTest\nVZR-T8100\nVZR-T8100 Files (*.vzt)\n.vzt\nVZR_T8100\nVZR-T8100 Data"));

        // The run list holds copies: judging a step leaves the condition's own step alone,
        // and rebuilding discards the judgement.
        doc.GetExecList()[0]->m_nJudge = JUDGE_D;
        QCOMPARE(s.m_edlList[0]->m_nJudge, JUDGE_NONE);
        doc.RebuildExecList();
        QCOMPARE(doc.GetExecList()[0]->m_nJudge, JUDGE_NONE);
    }
    void defaultFileBytes() {
        CVzrT8100Doc doc;
        const QByteArray bytes = StoreDoc(doc);
        QCOMPARE(bytes.toHex(), DefaultFile().toHex());
        QVERIFY(bytes.startsWith(QByteArray::fromHex("fffeff1c")));
        QCOMPARE(bytes.mid(4, 56),
                 QByteArray(reinterpret_cast<const char*>(kHeaderText.utf16()), 56));

        CVzrT8100Doc back;
        QCOMPARE(LoadDoc(back, bytes), LOAD_OK);
        QVERIFY(!back.IsLoadError());
        QCOMPARE(StoreDoc(back), bytes);

        // points taken away again leave the file of a plan that never had any
        doc.SetTestPoints({"USB"});
        doc.SetTestPoints({});
        QCOMPARE(StoreDoc(doc).toHex(), bytes.toHex());
    }
    void richerFileOpens() {
        CVzrT8100Doc doc;
        QCOMPARE(LoadDoc(doc, RicherFile()), LOAD_OK);
        QCOMPARE(doc.GetCommentList(), (QStringList{"first", "second"}));
        const auto& plan = doc.GetSettingList();
        QCOMPARE(plan.size(), size_t(2));
        QCOMPARE(plan[0]->m_value.m_nValueType, VALUE_SWEEP);
        QCOMPARE(plan[0]->m_ulPola, 3u);
        QVERIFY(!plan[0]->m_bSweep);
        QCOMPARE(plan[0]->m_edlList.size(), size_t(4));
        QCOMPARE(plan[1]->m_nDiscMode, DISC_AIR);
        QCOMPARE(plan[1]->m_edlList[0]->m_lVolt, 4000);
        // The run list stays as read, not rebuilt from the plan.
        QCOMPARE(doc.GetExecList().size(), size_t(6));
        QCOMPARE(doc.GetExecList()[5]->m_lVolt, 200);
        QCOMPARE(doc.GetExecList()[3]->m_nPola, POLA_MINUS);
        QCOMPARE(doc.GetExecList()[3]->m_lVolt, 3000);
        // Written again, the comments come out in UTF-16 form and the rest unchanged.
        CVzrT8100Doc again;
        QCOMPARE(LoadDoc(again, StoreDoc(doc)), LOAD_OK);
        QCOMPARE(again.GetCommentList(), doc.GetCommentList());
        QCOMPARE(StoreDoc(again), StoreDoc(doc));
    }
    void labelsNotCompared() {
        // Every label and mark, the program version included, in other words and in 8-bit
        // form: the same plan and run list come out.
        const QByteArray odd = RicherFile(true);
        QVERIFY(!odd.contains(ByteBuilder().Text("[m_lEnd]").bytes));
        CVzrT8100Doc expected, doc;
        QCOMPARE(LoadDoc(expected, RicherFile()), LOAD_OK);
        QCOMPARE(LoadDoc(doc, odd), LOAD_OK);
        QCOMPARE(StoreDoc(doc), StoreDoc(expected));
    }
    void headerWithTextAround() {
        const QByteArray rest = DefaultFile().mid(4 + 56);
        for (const QString& header :
             {QString("XX") + kHeaderText + "YY", QString::fromUtf8("【") + kHeaderText}) {
            ByteBuilder b;
            b.Text(header);
            CVzrT8100Doc doc;
            QCOMPARE(LoadDoc(doc, b.bytes + rest), LOAD_OK);
        }
    }
    void refused_data() {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("result");
        QTest::newRow("newer") << kHeaderText << "File Ver.1.0.0.1" << LOAD_VERSION;
        QTest::newRow("older") << kHeaderText << "File Ver.0.9.0.0" << LOAD_VERSION;
        QTest::newRow("case") << kHeaderText << "file Ver.1.0.0.0" << LOAD_VERSION;
        QTest::newRow("trailing blank") << kHeaderText << "File Ver.1.0.0.0 " << LOAD_VERSION;
        QTest::newRow("empty version") << kHeaderText << "" << LOAD_VERSION;
        QTest::newRow("wrong header") << "Valdmark VZR-T8000 Data File"
                                      << "File Ver.1.0.0.0" << LOAD_NOT_DATA_FILE;
        QTest::newRow("header split") << "Valdmark VZR-T8100  Data File"
                                      << "File Ver.1.0.0.0" << LOAD_NOT_DATA_FILE;
        QTest::newRow("both wrong") << "something else"
                                    << "File Ver.2.0.0.0" << LOAD_VERSION;
    }
    void refused() {
        QFETCH(QString, header);
        QFETCH(QString, version);
        QFETCH(int, result);
        ByteBuilder b;
        b.Header(header, version);
        Body(b, {ByteBuilder::Setting{}}, {}, {});
        CVzrT8100Doc doc;
        QCOMPARE(LoadDoc(doc, b.bytes), result);
        QVERIFY(doc.IsLoadError());
        // Refused before the plan was touched.
        QCOMPARE(doc.GetSettingList().size(), size_t(1));
        QCOMPARE(doc.GetSettingList()[0]->m_edlList.size(), size_t(1));

        // Nothing after item 2 is needed to refuse the file.
        ByteBuilder shortFile;
        shortFile.Text(header).Text(version);
        CVzrT8100Doc doc2;
        const int shortResult = LoadDoc(doc2, shortFile.bytes);
        QCOMPARE(shortResult, result == LOAD_VERSION ? LOAD_VERSION : LOAD_NOT_DATA_FILE);
    }
    void conditionVersionInFile() {
        const QString good = "Setting Data Ver.1.0.0.0";
        for (int i = 0; i < good.size(); ++i) {
            ByteBuilder::Setting bad;
            bad.version = good;
            bad.version[i] = bad.version[i] == u'X' ? u'Y' : u'X';
            ByteBuilder b;
            b.Header();
            Body(b, {ByteBuilder::Setting{}, bad}, {}, {ByteBuilder::Step{}});
            CVzrT8100Doc doc;
            QCOMPARE(LoadDoc(doc, b.bytes), LOAD_VERSION);
            QVERIFY(doc.IsLoadError());
        }
    }
    void stepVersionInRunList() {
        ByteBuilder::Step bad;
        bad.version = "Exec Data Ver.1.0.0.0\n";
        ByteBuilder b;
        b.Header();
        Body(b, {ByteBuilder::Setting{}}, {}, {ByteBuilder::Step{}, bad, ByteBuilder::Step{}});
        CVzrT8100Doc doc;
        QCOMPARE(LoadDoc(doc, b.bytes), LOAD_VERSION);
        QVERIFY(doc.IsLoadError());
    }
    void conditionCountZero() {
        ByteBuilder b;
        b.Header();
        ByteBuilder::Step step;
        step.volt = 1500;
        Body(b, {}, {}, {step});
        CVzrT8100Doc doc;
        QCOMPARE(LoadDoc(doc, b.bytes), LOAD_OK);
        QCOMPARE(doc.GetSettingList().size(), size_t(1));
        const CSettingData& s = *doc.GetSettingList()[0];
        QVERIFY(s.m_edlList.empty()); // default, not expanded
        QVERIFY(s.IsEqual(CSettingData()));
        QCOMPARE(doc.GetExecList().size(), size_t(1));
        QCOMPARE(doc.GetExecList()[0]->m_lVolt, 1500);
    }
    void stepCountZero() {
        ByteBuilder::Setting a, c;
        c.testNo = 1;
        ByteBuilder b;
        b.Header();
        Body(b, {a, c}, {{ByteBuilder::Step{}}, {}}, {});
        CVzrT8100Doc doc;
        QCOMPARE(LoadDoc(doc, b.bytes), LOAD_OK);
        // The plan stays as stored; the run list is empty.
        QCOMPARE(doc.GetSettingList().size(), size_t(2));
        QCOMPARE(doc.GetSettingList()[1]->m_lTestNo, 1);
        QCOMPARE(doc.GetSettingList()[0]->m_edlList.size(), size_t(1));
        QVERIFY(doc.GetExecList().empty());
    }
    void negativeCounts() {
        ByteBuilder b;
        b.Header();
        b.Label("[Setting Data Count]", -1).Label("[Exec Data Count]", -5);
        CVzrT8100Doc doc;
        QCOMPARE(LoadDoc(doc, b.bytes), LOAD_OK);
        QVERIFY(doc.GetSettingList().empty());
        QVERIFY(doc.GetExecList().empty());
    }
    void textLengthForms_data() {
        QTest::addColumn<QByteArray>("item");
        QTest::addColumn<QString>("text");
        const QByteArray sjis = QByteArray::fromHex("8e8e8cb1b1"); // 試験ｱ
        const QString sjisText = QString::fromUtf8("試験ｱ");
        const QByteArray utf16 = QByteArray::fromHex("668a139a"); // 試験 in UTF-16LE
        const QString utf16Text = QString::fromUtf8("試験");
        QTest::newRow("8-bit byte") << ByteBuilder().Text8(sjis).bytes << sjisText;
        QTest::newRow("8-bit empty") << ByteBuilder().U8(0).bytes << QString();
        QTest::newRow("8-bit 16-bit length")
            << ByteBuilder().U8(0xFF).U16(5).Raw(sjis).bytes << sjisText;
        QTest::newRow("8-bit 32-bit length")
            << ByteBuilder().U8(0xFF).U16(0xFFFF).U32(5).Raw(sjis).bytes << sjisText;
        QTest::newRow("8-bit 64-bit length")
            << ByteBuilder().U8(0xFF).U16(0xFFFF).U32(0xFFFFFFFF).U64(5).Raw(sjis).bytes
            << sjisText;
        QTest::newRow("utf16 byte")
            << ByteBuilder().U8(0xFF).U16(0xFFFE).U8(2).Raw(utf16).bytes << utf16Text;
        QTest::newRow("utf16 16-bit length")
            << ByteBuilder().U8(0xFF).U16(0xFFFE).U8(0xFF).U16(2).Raw(utf16).bytes << utf16Text;
        QTest::newRow("utf16 32-bit length")
            << ByteBuilder().U8(0xFF).U16(0xFFFE).U8(0xFF).U16(0xFFFF).U32(2).Raw(utf16).bytes
            << utf16Text;
        QTest::newRow("utf16 64-bit length") << ByteBuilder()
                                                    .U8(0xFF)
                                                    .U16(0xFFFE)
                                                    .U8(0xFF)
                                                    .U16(0xFFFF)
                                                    .U32(0xFFFFFFFF)
                                                    .U64(2)
                                                    .Raw(utf16)
                                                    .bytes
                                             << utf16Text;
        const QByteArray longText(300, 'a');
        QTest::newRow("8-bit 300")
            << ByteBuilder().U8(0xFF).U16(300).Raw(longText).bytes << QString(longText);
    }
    void textLengthForms() {
        QFETCH(QByteArray, item);
        QFETCH(QString, text);
        // As a comment of a whole file, followed by a default body.
        ByteBuilder b;
        b.Text(kHeaderText).Text("File Ver.1.0.0.0").Text("App Ver.1.1.0.0");
        b.Text("[Test Point Comment]").U16(1).Raw(item);
        Body(b, {ByteBuilder::Setting{}}, {}, {});
        CVzrT8100Doc doc;
        QCOMPARE(LoadDoc(doc, b.bytes), LOAD_OK);
        QCOMPARE(doc.GetCommentList(), QStringList{text});
        // Labels in 8-bit form are accepted too: they are read, not compared.
        QBuffer buf;
        QByteArray both = item + ByteBuilder().U32(0x01020304).bytes;
        buf.setData(both);
        buf.open(QIODevice::ReadOnly);
        CArchive ar(&buf, CArchive::load);
        QCOMPARE(ar.ReadString(), text);
        QCOMPARE(ar.ReadUInt32(), 0x01020304u);
        QVERIFY(!ar.IsFailed());
        QCOMPARE(ar.BytesLeft(), qint64(0));
    }
    void writtenLengthForms() {
        const auto written = [](const QString& s) {
            QBuffer buf;
            buf.open(QIODevice::WriteOnly);
            {
                CArchive ar(&buf, CArchive::store);
                ar.WriteString(s);
            }
            return buf.data();
        };
        QCOMPARE(written(QString()).toHex(), QByteArray("fffeff00"));
        QCOMPARE(written(QString(254, 'x')).left(4).toHex(), QByteArray("fffefffe"));
        QCOMPARE(written(QString(255, 'x')).left(6).toHex(), QByteArray("fffeffffff00"));
        QCOMPARE(written(QString(0xFFFD, 'x')).left(6).toHex(), QByteArray("fffefffffdff"));
        const QByteArray big = written(QString(0xFFFE, 'x'));
        QCOMPARE(big.left(10).toHex(), QByteArray("fffeffffffff"
                                                  "feff0000"));
        QCOMPARE(big.size(), 10 + 2 * 0xFFFE);
        // Each written form reads back.
        for (const int n : {0, 254, 255, 0xFFFD, 0xFFFE, 70000}) {
            QString s(n, QChar(0x8A66));
            QBuffer buf;
            buf.setData(written(s));
            buf.open(QIODevice::ReadOnly);
            CArchive ar(&buf, CArchive::load);
            QCOMPARE(ar.ReadString(), s);
            QVERIFY(!ar.IsFailed());
        }
    }
    void commentCountForms() {
        for (const int n : {0xFFFE, 0xFFFF, 0x10000}) {
            CVzrT8100Doc doc;
            for (int i = 0; i < n; ++i)
                doc.GetCommentList().append(QString());
            const QByteArray bytes = StoreDoc(doc);
            const QByteArray label = ByteBuilder().Text("[Test Point Comment]").bytes;
            const qsizetype at = bytes.indexOf(label) + label.size();
            ByteBuilder count;
            if (n < 0xFFFF)
                count.U16(n);
            else
                count.U16(0xFFFF).U32(n);
            QCOMPARE(bytes.mid(at, count.bytes.size()).toHex(), count.bytes.toHex());
            CVzrT8100Doc back;
            QCOMPARE(LoadDoc(back, bytes), LOAD_OK);
            QCOMPARE(back.GetCommentList().size(), n);
        }

        // A million empty comments and one more: refused before the list can grow to many
        // times the file's size.
        for (const quint32 n : {1u << 20, (1u << 20) + 1}) {
            ByteBuilder b;
            b.Text(kHeaderText).Text("File Ver.1.0.0.0").Text("App Ver.1.1.0.0");
            b.Text("[Test Point Comment]").U16(0xFFFF).U32(n).Raw(QByteArray(qsizetype(n), '\0'));
            Body(b, {ByteBuilder::Setting{}}, {{ByteBuilder::Step{}}}, {ByteBuilder::Step{}});
            CVzrT8100Doc doc;
            QCOMPARE(LoadDoc(doc, b.bytes), n == (1u << 20) ? LOAD_OK : LOAD_BAD_FORMAT);
        }
    }
    void truncatedAtEveryOffset() {
        for (const QByteArray& whole : {DefaultFile(), RicherFile()}) {
            for (qsizetype n = 0; n < whole.size(); ++n) {
                CVzrT8100Doc doc;
                const int r = LoadDoc(doc, whole.left(n));
                if (r != LOAD_BAD_FORMAT)
                    QFAIL(qPrintable(QString("prefix of %1 bytes gave %2").arg(n).arg(r)));
                QVERIFY(doc.IsLoadError());
                CVzrT8100Doc streamed;
                const auto pipe = Source(whole.left(n), true);
                CArchive ar(pipe.get(), CArchive::load);
                QCOMPARE(streamed.Serialize(ar), LOAD_BAD_FORMAT);
            }
            CVzrT8100Doc doc;
            QCOMPARE(LoadDoc(doc, whole), LOAD_OK);
            const auto pipe = Source(whole, true);
            CArchive ar(pipe.get(), CArchive::load);
            CVzrT8100Doc streamed;
            QCOMPARE(streamed.Serialize(ar), LOAD_OK);
            QCOMPARE(StoreDoc(streamed), StoreDoc(doc));
        }
    }
    void hostileLengths_data() {
        QTest::addColumn<QByteArray>("item");
        QTest::newRow("8-bit beyond file") << ByteBuilder().U8(200).Raw("abc").bytes;
        QTest::newRow("16-bit beyond file") << ByteBuilder().U8(0xFF).U16(0xFFFD).bytes;
        QTest::newRow("32-bit 2^31") << ByteBuilder().U8(0xFF).U16(0xFFFF).U32(0x80000000u).bytes;
        QTest::newRow("32-bit max-1") << ByteBuilder().U8(0xFF).U16(0xFFFF).U32(0xFFFFFFFEu).bytes;
        QTest::newRow("64-bit above 2^31-1")
            << ByteBuilder().U8(0xFF).U16(0xFFFF).U32(0xFFFFFFFF).U64(0x80000000ull).Raw("x").bytes;
        QTest::newRow("64-bit max")
            << ByteBuilder().U8(0xFF).U16(0xFFFF).U32(0xFFFFFFFF).U64(~0ull).bytes;
        QTest::newRow("utf16 2^31-1 units")
            << ByteBuilder().U8(0xFF).U16(0xFFFE).U8(0xFF).U16(0xFFFF).U32(0x7FFFFFFF).bytes;
        QTest::newRow("utf16 odd byte short")
            << ByteBuilder().U8(0xFF).U16(0xFFFE).U8(3).Raw("abcde").bytes;
        QTest::newRow("marker then nothing") << ByteBuilder().U8(0xFF).U16(0xFFFE).bytes;
    }
    void hostileLengths() {
        QFETCH(QByteArray, item);
        // The file ends with the item: as item 1, as a comment, and as a label deep inside a
        // condition. Read from a file-like buffer and from a stream of unknown length.
        const QByteArray label = ByteBuilder().Text("[m_lStep]").bytes;
        const QByteArray good = DefaultFile();
        ByteBuilder c;
        c.Text(kHeaderText).Text("File Ver.1.0.0.0").Text("App Ver.1.1.0.0");
        c.Text("[Test Point Comment]").U16(1).Raw(item);
        const QList<QByteArray> files{item, c.bytes, good.left(good.indexOf(label)) + item};
        for (const QByteArray& f : files) {
            for (const bool sequential : {false, true}) {
                CVzrT8100Doc doc;
                const auto source = Source(f, sequential);
                CArchive ar(source.get(), CArchive::load);
                QCOMPARE(doc.Serialize(ar), LOAD_BAD_FORMAT);
                QVERIFY(doc.IsLoadError());
            }
        }
    }
    void hostileCounts_data() {
        QTest::addColumn<QByteArray>("file");
        const QByteArray body = ByteBuilder().Label("[Setting Data Count]", 0).bytes;
        ByteBuilder head;
        head.Text(kHeaderText).Text("File Ver.1.0.0.0").Text("App Ver.1.1.0.0");
        head.Text("[Test Point Comment]");
        QTest::newRow("comments 16-bit") << ByteBuilder(head).U16(0xFFFE).Raw(body).bytes;
        QTest::newRow("comments 32-bit") << ByteBuilder(head).U16(0xFFFF).U32(0xFFFFFFFF).bytes;
        ByteBuilder h2;
        h2.Header();
        QTest::newRow("conditions")
            << ByteBuilder(h2).Label("[Setting Data Count]", 0x7FFFFFFF).bytes;
        QTest::newRow("conditions just over")
            << ByteBuilder(h2).Label("[Setting Data Count]", 2).SettingRecord({}).bytes;
        QTest::newRow("steps") << ByteBuilder(h2)
                                      .Label("[Setting Data Count]", 0)
                                      .Label("[Exec Data Count]", 0x7FFFFFFF)
                                      .StepRecord({})
                                      .bytes;
        QTest::newRow("condition steps")
            << ByteBuilder(h2)
                   .Label("[Setting Data Count]", 1)
                   .Raw(ByteBuilder().SettingRecord({}).bytes.replace(
                       ByteBuilder().Label("m_edlList", 0).bytes,
                       ByteBuilder().Label("m_edlList", 0x40000000).bytes))
                   .bytes;
    }
    void hostileCounts() {
        QFETCH(QByteArray, file);
        CVzrT8100Doc doc;
        QCOMPARE(LoadDoc(doc, file), LOAD_BAD_FORMAT);
        // Refused at once: the lists never grew from the count.
        QVERIFY(doc.GetSettingList().size() <= 1);
        QVERIFY(doc.GetExecList().size() <= 1);
        QVERIFY(doc.GetCommentList().size() <= 1);
    }
    void endlessStreamsRefused_data() {
        // A stream that never ends, read within small limits so that the test stays quick: the
        // archive may take 4 MiB and keep 1 MiB of records. What a claim alone cannot be given
        // is refused before the first 64 KiB chunk is used up.
        QTest::addColumn<QByteArray>("prefix");
        QTest::addColumn<QByteArray>("unit");
        QTest::addColumn<qint64>("maxHeld");
        QTest::addColumn<bool>("atOnce");
        const QByteArray head = Hostile::Header();
        const QByteArray noComments = ByteBuilder().U16(0).bytes;
        QTest::newRow("text of 2^31-1 units")
            << ByteBuilder().U8(0xFF).U16(0xFFFE).U8(0xFF).U16(0xFFFF).U32(0x7FFFFFFF).bytes
            << QByteArray("AB") << qint64(1 << 20) << true;
        QTest::newRow("label of 2 MiB")
            << head + ByteBuilder().U8(0xFF).U16(0xFFFF).U32(2u << 20).bytes << QByteArray("x")
            << qint64(1 << 20) << true;
        QTest::newRow("conditions beyond the budget")
            << head + noComments + Hostile::kEmpty + Hostile::Int32(0x00100000)
            << Hostile::MinimalCondition() << qint64(1 << 20) << true;
        QTest::newRow("comments without end")
            << head + ByteBuilder().U16(0xFFFF).U32(1000000).bytes
            << ByteBuilder().U8(0xFF).U16(1000).Raw(QByteArray(1000, 'x')).bytes << qint64(1 << 20)
            << false;
        QTest::newRow("conditions without end")
            << head + noComments + Hostile::kEmpty + Hostile::Int32(20000)
            << Hostile::MinimalCondition() << qint64(1 << 20) << false;
        QTest::newRow("steps without end")
            << head + noComments + Hostile::kEmpty + Hostile::Int32(0) + Hostile::kEmpty +
                   Hostile::Int32(50000)
            << Hostile::MinimalStep() << qint64(1 << 20) << false;
        QTest::newRow("steps of a condition without end")
            << head + noComments + Hostile::kEmpty + Hostile::Int32(1) +
                   Hostile::MinimalCondition().chopped(5) + Hostile::Int32(50000)
            << Hostile::kEmpty + Hostile::MinimalStep() << qint64(1 << 20) << false;
        QTest::newRow("more bytes than the budget")
            << head + noComments + Hostile::kEmpty + Hostile::Int32(0) + Hostile::kEmpty +
                   Hostile::Int32(60000)
            << Hostile::MinimalStep() << (qint64(1) << 40) << false;
    }
    void endlessStreamsRefused() {
        QFETCH(QByteArray, prefix);
        QFETCH(QByteArray, unit);
        QFETCH(qint64, maxHeld);
        QFETCH(bool, atOnce);
        constexpr qint64 kMaxBytes = 4 << 20;
        // ends after 16 MiB after all, so that a reader without limits fails instead of hanging
        HostileStream stream(prefix, unit, 16 << 20);
        QVERIFY(stream.open(QIODevice::ReadOnly));
        CVzrT8100Doc doc;
        {
            CArchive ar(&stream, CArchive::load);
            ar.SetStreamLimits(kMaxBytes, maxHeld);
            QCOMPARE(doc.Serialize(ar), LOAD_BAD_FORMAT);
        }
        QVERIFY(doc.IsLoadError());
        // never more than the budget was taken from it
        QVERIFY2(stream.Delivered() <= kMaxBytes, qPrintable(QString::number(stream.Delivered())));
        if (atOnce)
            QVERIFY2(stream.Delivered() <= prefix.size() + 64 * 1024,
                     qPrintable(QString::number(stream.Delivered())));
        // and what was kept stayed within its budget
        const qint64 kept = qint64(doc.GetSettingList().size()) * kSettingDataHeldBytes +
                            qint64(doc.GetExecList().size()) * kExecDataHeldBytes;
        QVERIFY(kept <= maxHeld);
    }
    void largestPlanThroughStream() {
        // Every plan the program writes reads back from a stream within the real limits: here
        // a plan of many sweeps, read through a pipe-like source of unknown size.
        CVzrT8100Doc doc;
        FillPlan(doc);
        auto& plan = doc.GetSettingList();
        for (auto& s : plan) {
            s->m_value.m_nValueType = VALUE_SWEEP;
            s->m_value.m_lStart = 200;
            s->m_value.m_lEnd = 30500;
            s->m_value.m_lStep = 100;
            s->m_ulPola = POLA_BIT_BOTH;
            s->MakeExecList(s->m_edlList);
        }
        doc.RebuildExecList();
        const QByteArray bytes = StoreDoc(doc);
        HostileStream stream(bytes, QByteArray());
        QVERIFY(stream.open(QIODevice::ReadOnly));
        CVzrT8100Doc loaded;
        CArchive ar(&stream, CArchive::load);
        QCOMPARE(loaded.Serialize(ar), LOAD_OK);
        QCOMPARE(loaded.GetExecList().size(), doc.GetExecList().size());
        QCOMPARE(stream.Delivered(), qint64(bytes.size()));
    }
    void roundTripDropsJudgements() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("plan.vzt");
        CVzrT8100Doc doc;
        FillPlan(doc);
        QCOMPARE(doc.GetExecList().size(), size_t(1 + 3 * 12));
        // the comments as test points: the plan three times, each step with its point
        doc.SetTestPoints(doc.GetCommentList());
        QCOMPARE(doc.GetExecList().size(), size_t(3 * (1 + 3 * 12)));
        QCOMPARE(doc.GetExecList().back()->m_lTestPointNo, 3);
        for (auto& step : doc.GetExecList()) {
            step->m_nJudge = JUDGE_B;
            step->m_strComment = QString::fromUtf8("誤動作");
        }
        doc.GetSettingList()[1]->m_bSweep = true;
        doc.SetModifiedFlag();
        QString error;
        QVERIFY2(doc.SaveFile(path, &error), qPrintable(error));
        QVERIFY(!doc.IsModified());
        QCOMPARE(doc.GetPathName(), path);
        QCOMPARE(doc.GetTitle(), QString("plan.vzt"));

        CVzrT8100Doc back;
        back.SetModifiedFlag();
        QVERIFY2(back.OpenFile(path, &error), qPrintable(error));
        QVERIFY(!back.IsModified());
        QVERIFY(!back.IsLoadError());
        QCOMPARE(back.GetTitle(), QString("plan.vzt"));
        QCOMPARE(back.TestPoints(), doc.TestPoints());
        QCOMPARE(back.GetSettingList().size(), doc.GetSettingList().size());
        doc.GetSettingList()[1]->m_bSweep = false;
        for (size_t i = 0; i < doc.GetSettingList().size(); ++i)
            QVERIFY(back.GetSettingList()[i]->IsEqual(*doc.GetSettingList()[i]));
        QCOMPARE(back.GetExecList().size(), doc.GetExecList().size());
        for (size_t i = 0; i < doc.GetExecList().size(); ++i) {
            const CExecData& b = *back.GetExecList()[i];
            QCOMPARE(b.m_nJudge, JUDGE_NONE);
            QVERIFY(b.m_strComment.isEmpty());
            CExecData expected = *doc.GetExecList()[i];
            expected.m_nJudge = JUDGE_NONE;
            expected.m_strComment.clear();
            QVERIFY(b == expected);
        }
    }
    void openRefusedKeepsDocument() {
        QTemporaryDir dir;
        struct Case {
            QByteArray bytes;
            int result;
        };
        ByteBuilder notData;
        notData.Header("hello", "File Ver.1.0.0.0");
        ByteBuilder version;
        version.Header(kHeaderText, "File Ver.1.0.0.1");
        const QList<Case> cases{{notData.bytes, LOAD_NOT_DATA_FILE},
                                {version.bytes, LOAD_VERSION},
                                {DefaultFile().left(100), LOAD_BAD_FORMAT},
                                {QByteArray(), LOAD_BAD_FORMAT}};
        for (const Case& c : cases) {
            const QString path = dir.filePath("bad.vzt");
            QVERIFY(WriteAll(path, c.bytes));
            CVzrT8100Doc doc;
            FillPlan(doc);
            const QByteArray before = StoreDoc(doc);
            QString error;
            QVERIFY(!doc.OpenFile(path, &error));
            QCOMPARE(error, CVzrT8100Doc::LoadResultText(c.result));
            QVERIFY(doc.IsLoadError());
            QCOMPARE(StoreDoc(doc), before);
        }
        // A good open replaces the contents; the windows showing the plan are told.
        const QString path = dir.filePath("good.vzt");
        QVERIFY(WriteAll(path, RicherFile()));
        CVzrT8100Doc doc;
        QSignalSpy reset(&doc.PlanModel(), &QAbstractItemModel::modelReset);
        QVERIFY(doc.OpenFile(path, nullptr));
        QCOMPARE(reset.count(), 1);
        QCOMPARE(doc.PlanModel().rowCount(), 2);
        QCOMPARE(doc.GetExecList().size(), size_t(6));
    }
    void openMissingFile() {
        QTemporaryDir dir;
        CVzrT8100Doc doc;
        QString error;
        QVERIFY(!doc.OpenFile(dir.filePath("nothing.vzt"), &error));
        QVERIFY(error.contains("nothing.vzt"));
        QVERIFY(error.contains(QString::fromUtf8("開けません")));
        QVERIFY(!doc.OpenFile(dir.path(), &error)); // a folder
        QVERIFY(error.contains(QDir::toNativeSeparators(dir.path())));
        QCOMPARE(doc.GetSettingList().size(), size_t(1));
    }
    void saveIntoMissingFolder() {
        QTemporaryDir dir;
        const QString path = dir.filePath("no/such/folder/plan.vzt");
        CVzrT8100Doc doc;
        doc.SetModifiedFlag();
        QString error;
        QVERIFY(!doc.SaveFile(path, &error));
        QVERIFY(error.contains("plan.vzt"));
        QVERIFY(error.contains(QString::fromUtf8("保存できませんでした")));
        QVERIFY(doc.IsModified());
        QVERIFY(doc.GetPathName().isEmpty());
        QVERIFY(!QFile::exists(path));
    }
    void saveIntoReadOnlyFolderKeepsOldFile() {
        if (geteuid() == 0)
            QSKIP("root may write into any folder: tst_data_file_nobody runs this unprivileged");
        QTemporaryDir dir;
        const QString sub = dir.filePath("ro");
        QVERIFY(QDir().mkpath(sub));
        const QString path = sub + "/plan.vzt";
        CVzrT8100Doc old;
        QVERIFY(old.SaveFile(path, nullptr));
        const QByteArray before = ReadAll(path);
        QVERIFY(QFile::setPermissions(sub, QFile::ReadOwner | QFile::ExeOwner));
        CVzrT8100Doc doc;
        FillPlan(doc);
        doc.SetModifiedFlag();
        QString error;
        const bool saved = doc.SaveFile(path, &error);
        QFile::setPermissions(sub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!saved);
        QVERIFY(error.contains("plan.vzt"));
        QVERIFY(doc.IsModified());
        QCOMPARE(ReadAll(path), before);
        QCOMPARE(QDir(sub).entryList(QDir::Files), QStringList{"plan.vzt"});
    }
    void interruptedSaveKeepsOldFile() {
        // A file-size limit makes the write fail half-way, as a full disk would.
        QTemporaryDir dir;
        const QString path = dir.filePath("plan.vzt");
        CVzrT8100Doc old;
        QVERIFY(old.SaveFile(path, nullptr));
        const QByteArray before = ReadAll(path);

        CVzrT8100Doc doc;
        FillPlan(doc); // well over the limit below
        QVERIFY(StoreDoc(doc).size() > 3 * 8192);
        QString error;
        const bool ok = WithDiskFull(8192, [&] { return doc.SaveFile(path, &error); });
        QVERIFY(!ok);
        QVERIFY(error.contains("plan.vzt"));
        QCOMPARE(ReadAll(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"plan.vzt"});
        QVERIFY(doc.GetPathName().isEmpty());
    }
    void messages() {
        QCOMPARE(CVzrT8100Doc::LoadResultText(LOAD_OK), QString());
        QCOMPARE(CVzrT8100Doc::LoadResultText(LOAD_NOT_DATA_FILE),
                 QString::fromUtf8("VZR-T8100用リモートソフトのデータではありません"));
        QCOMPARE(CVzrT8100Doc::LoadResultText(LOAD_VERSION),
                 QString::fromUtf8("このソフトよりも新しいバージョンのソフトで作成されたファイルの"
                                   "為、ロードできません"));
        QCOMPARE(CVzrT8100Doc::LoadResultText(LOAD_BAD_FORMAT),
                 QString::fromUtf8("予期しないファイル形式です。"));
    }
    void writeSeedCorpus() {
        QTemporaryDir scratch;
        QString folder = qEnvironmentVariable("VZR_FUZZ_SEEDS");
        if (folder.isEmpty())
            folder = scratch.path();
        QVERIFY(QDir().mkpath(folder));
        for (const auto& [name, bytes] : SeedFiles()) {
            const QString path = QDir(folder).filePath(name);
            QVERIFY(WriteAll(path, bytes));
            CVzrT8100Doc doc;
            QString error;
            QVERIFY2(doc.OpenFile(path, &error), qPrintable(name + ": " + error));
        }
        // The beginnings of hostile streams: claims that only the budget of a stream refuses
        // at once, and records that would go on for ever.
        const QByteArray head = Hostile::Header() + QByteArray(2, '\0');
        const std::pair<const char*, QByteArray> hostile[] = {
            {"stream-conditions.vzt", head + Hostile::kEmpty + Hostile::Int32(0x7FFFFFFF) +
                                          Hostile::MinimalCondition().repeated(20)},
            {"stream-steps.vzt", head + Hostile::kEmpty + Hostile::Int32(0) + Hostile::kEmpty +
                                     Hostile::Int32(0x00100000) +
                                     Hostile::MinimalStep().repeated(50)},
            {"stream-long-text.vzt",
             ByteBuilder().U8(0xFF).U16(0xFFFE).U8(0xFF).U16(0xFFFF).U32(0x7FFFFFFF).bytes +
                 QByteArray(1000, 'A')},
            {"stream-comments.vzt", Hostile::Header() +
                                        ByteBuilder().U16(0xFFFF).U32(1000000).bytes +
                                        Hostile::Text8(QByteArray(200, 'c')).repeated(20)},
        };
        for (const auto& [name, bytes] : hostile) {
            const QString path = QDir(folder).filePath(QLatin1String(name));
            QVERIFY(WriteAll(path, bytes));
            CVzrT8100Doc doc;
            QString error;
            QVERIFY2(!doc.OpenFile(path, &error), name);
            QCOMPARE(error, CVzrT8100Doc::LoadResultText(LOAD_BAD_FORMAT));
        }
    }
};

// Valid files for the fuzzer to start from: into $VZR_FUZZ_SEEDS when it is set.
QTEST_GUILESS_MAIN(TestDataFile)
#include "tst_data_file.moc"
