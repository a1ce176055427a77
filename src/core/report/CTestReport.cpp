#include "CTestReport.h"

#include "data/TestPoints.h"
#include "report/CMsExcelControl.h"
#include "settings/CTestProperty.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdint>
#include <new>

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CTestReport", text);
}

// A value from the settings, the plan or the steps: kept as text whatever it looks like.
QString Value(const QString& text) {
    return QLatin1Char('\'') + text;
}

// A cell name such as "K10", built without allocating: one is made for every cell.
class CellName {
public:
    CellName(char column, qint64 row) {
        char16_t digits[20];
        int n = 0;
        do {
            digits[n++] = char16_t(u'0' + row % 10);
            row /= 10;
        } while (row > 0 && n < 20);
        m_text[0] = char16_t(column);
        for (int i = 0; i < n; ++i)
            m_text[1 + i] = digits[n - 1 - i];
        m_size = n + 1;
    }
    operator QStringView() const { return QStringView(m_text, m_size); }

private:
    char16_t m_text[21];
    qsizetype m_size;
};

// The value texts are made in one buffer reused for every cell.
class ValueText {
public:
    QStringView operator()(QStringView text) {
        m_text.resize(0);
        m_text.append(QLatin1Char('\''));
        m_text.append(text);
        return m_text;
    }
    // "'Step No.   5": the number right-aligned in four places ("%s%4d").
    QStringView Label(QStringView prefix, qint64 number) {
        char16_t digits[20];
        int n = 0;
        do {
            digits[n++] = char16_t(u'0' + number % 10);
            number /= 10;
        } while (number > 0 && n < 20);
        m_text.resize(0);
        m_text.append(QLatin1Char('\''));
        m_text.append(prefix);
        for (int pad = n; pad < 4; ++pad)
            m_text.append(QLatin1Char(' '));
        while (n > 0)
            m_text.append(QChar(digits[--n]));
        return m_text;
    }

private:
    QString m_text;
};

// The column texts of the steps. Consecutive steps of one condition share most of them,
// so a text is asked of the step again only when the fields it shows have changed;
// judgement and comment, the step's own, are always asked.
class StepTexts {
public:
    const QString& Get(const CExecData& step, int column) {
        qint64 key;
        switch (column) {
        case 0:
            key = step.m_nDiscMode != DISC_CONTACT;
            break;
        case 1:
            key = step.m_nIecLevel;
            break;
        case 2:
            key = step.m_nTrig;
            break;
        case 3:
            key = step.m_nPola;
            break;
        case 4:
            key = step.m_lVolt;
            break;
        case 5:
            key = step.m_lCount;
            break;
        case 6:
            key = step.m_nDiscMode != DISC_CONTACT ? kAir : step.m_lInterval;
            break;
        default:
            m_text[column] = step.GetColumnText(column);
            return m_text[column];
        }
        if (!m_bValid[column] || m_key[column] != key) {
            m_text[column] = step.GetColumnText(column);
            m_key[column] = key;
            m_bValid[column] = true;
        }
        return m_text[column];
    }

private:
    static constexpr qint64 kAir = qint64(INT32_MIN) - 1; // no interval value can be this
    QString m_text[CExecData::kColumnCount];
    qint64 m_key[CExecData::kColumnCount] = {};
    bool m_bValid[CExecData::kColumnCount] = {};
};

// The plan and step columns in the report's order: interval before count.
constexpr int kReportColumns[] = {0, 1, 2, 3, 4, 6, 5};

void WriteConditions(CMsExcelControl& excel, const CSettingList& plan, const QStringList& points,
                     const CTestProperty& p) {
    excel.SelectSheet(0);
    excel.SetSheetName(QCoreApplication::translate("CTestReport", "試験条件"));

    const struct {
        const char16_t* label;
        const char16_t* value;
        const char* text;
        const QString& field;
    } pairs[] = {
        {u"B2", u"C2", QT_TRANSLATE_NOOP("CTestReport", "企業名"), p.m_strCompanyName},
        {u"B3", u"C3", QT_TRANSLATE_NOOP("CTestReport", "試験場所"), p.m_strTestPlace},
        {u"B5", u"C5", QT_TRANSLATE_NOOP("CTestReport", "試験器 モデル名"), p.m_strEquipmentModel},
        {u"B6", u"C6", QT_TRANSLATE_NOOP("CTestReport", "試験器 シリアルNo."),
         p.m_strEquipmentSerialNo},
        {u"B7", u"C7", QT_TRANSLATE_NOOP("CTestReport", "放電ガン モデル名"), p.m_strGunModel},
        {u"B8", u"C8", QT_TRANSLATE_NOOP("CTestReport", "放電ガン シリアルNo."),
         p.m_strGunSerialNo},
        {u"B9", u"C9", QT_TRANSLATE_NOOP("CTestReport", "放電カップ モデル名"), p.m_strCupModel},
        {u"B10", u"C10", QT_TRANSLATE_NOOP("CTestReport", "放電カップ シリアルNo."),
         p.m_strCupSerialNo},
        {u"B11", u"C11", QT_TRANSLATE_NOOP("CTestReport", "CRユニット モデル名"),
         p.m_strCrUnitModel},
        {u"B12", u"C12", QT_TRANSLATE_NOOP("CTestReport", "CRユニット シリアルNo."),
         p.m_strCrUnitSerialNo},
        {u"B14", u"C14", QT_TRANSLATE_NOOP("CTestReport", "品名/型名"), p.m_strModel},
        {u"B15", u"C15", QT_TRANSLATE_NOOP("CTestReport", "シリアル番号"), p.m_strSerial},
        {u"B16", u"C16", QT_TRANSLATE_NOOP("CTestReport", "試験者名"), p.m_strOperator},
        {u"B17", u"C17", QT_TRANSLATE_NOOP("CTestReport", "規格名"), p.m_strStandard},
    };
    for (const auto& pair : pairs) {
        excel.SetCellText(pair.label, QCoreApplication::translate("CTestReport", pair.text));
        excel.SetCellText(pair.value, Value(pair.field));
    }

    // "----" while no test time is set, as the test environment dialog shows it
    const QString date = CTestProperty::TestDateText(p.m_tmTest);
    const QString time = CTestProperty::TestTimeText(p.m_tmTest);
    excel.SetCellText(u"G14", QCoreApplication::translate("CTestReport", "試験日"));
    excel.SetCellText(u"H14", Value(date));
    excel.SetCellText(u"G15", QCoreApplication::translate("CTestReport", "試験時刻"));
    excel.SetCellText(u"H15", Value(time));
    excel.SetCellText(u"G16", QCoreApplication::translate("CTestReport", "温度"));
    excel.SetCellText(u"H16", Value(p.m_strTemperature));
    excel.SetCellText(u"G17", QCoreApplication::translate("CTestReport", "湿度"));
    excel.SetCellText(u"H17", Value(p.m_strHumidity));

    for (int i = 0; i < 7; ++i)
        excel.SetCellText(CellName(char('B' + i), 22),
                          CSettingData::GetColumnTitle(kReportColumns[i]));
    qint64 row = 22;
    for (const auto& condition : plan) {
        ++row;
        excel.SetCellText(CellName('A', row), Value(CTestReport::RowLabel("Test No.", row - 22)));
        for (int i = 0; i < 7; ++i)
            excel.SetCellText(CellName(char('B' + i), row),
                              Value(condition->GetColumnText(kReportColumns[i])));
    }

    // the points below the plan, a row apart: each number and name
    if (points.isEmpty())
        return;
    row += 2;
    excel.SetCellText(CellName('A', row),
                      QCoreApplication::translate("CTestReport", "テストポイント"));
    for (qsizetype i = 0; i < points.size(); ++i) {
        ++row;
        excel.SetCellText(CellName('A', row), Value(QString::number(i + 1)));
        excel.SetCellText(CellName('B', row), Value(points.at(i)));
    }
}

void WriteSteps(CMsExcelControl& excel, const CExecList& steps, const QStringList& points) {
    excel.SelectSheet(1);
    excel.SetSheetName(QCoreApplication::translate("CTestReport", "試験内容"));

    const char columns[] = {'B', 'C', 'D', 'E', 'F', 'G', 'H', 'J', 'K'};
    const int sources[] = {0, 1, 2, 3, 4, 6, 5, 7, 8};
    for (int i = 0; i < 9; ++i)
        excel.SetCellText(CellName(columns[i], 10), CExecData::GetColumnTitle(sources[i]));
    // column I names each step's test point; without points it stays empty
    if (!points.isEmpty())
        excel.SetCellText(u"I10", QCoreApplication::translate("CTestReport", "テストポイント"));

    ValueText value;
    StepTexts texts;
    qint64 row = 10;
    for (const auto& step : steps) {
        ++row;
        excel.SetCellText(CellName('A', row), value.Label(u"Step No.", row - 10));
        for (int i = 0; i < 9; ++i)
            excel.SetCellText(CellName(columns[i], row), value(texts.Get(*step, sources[i])));
        if (const int point = TestPoints::PointOf(*step, points); point > 0)
            excel.SetCellText(CellName('I', row), value(points.at(point - 1)));
    }
    excel.SetCellText(u"J2", QCoreApplication::translate("CTestReport", "総合判定"));
}

} // namespace

QString CTestReport::NoWorkbookText() {
    return Tr("MS-Excel 2000以降が見つかりません。\nレポートを作成できません。");
}

QString CTestReport::NoFolderText(const QString& folder, const QString& reason) {
    QStringList lines{Tr("レポートのフォルダに書き込めません。")};
    for (const QString& line : {folder, reason}) {
        if (!line.isEmpty())
            lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

QString CTestReport::RowLabel(const char* prefix, qint64 number) {
    // "%s%4d": the number right-aligned in four places, wider when it needs more
    QString digits = QString::number(number);
    QString text = QLatin1String(prefix);
    if (digits.size() < 4)
        text.append(QString(4 - digits.size(), QLatin1Char(' ')));
    return text + digits;
}

void CTestReport::Write(CMsExcelControl& excel, const CSettingList& plan, const CExecList& steps,
                        const QStringList& testPoints, const CTestProperty& property) {
    WriteConditions(excel, plan, testPoints, property);
    WriteSteps(excel, steps, testPoints);
    excel.SelectSheet(2);
    excel.SetSheetName(QStringLiteral(" "));
}

CTestReport::Outcome CTestReport::Create(const CSettingList& plan, const CExecList& steps,
                                         const QStringList& testPoints,
                                         const CTestProperty& property, const QString& title,
                                         const QString& outputPath) {
    Outcome outcome;
    CMsExcelControl excel;
    excel.SetTitle(title);
    excel.SetOutputPath(outputPath);
    if (!excel.StartWorkbook()) {
        outcome.m_strDetail = excel.GetStartError();
        if (excel.GetStartFailure() == CMsExcelControl::START_NO_FOLDER) {
            outcome.m_nResult = REPORT_NO_FOLDER;
            outcome.m_strMessage = NoFolderText(excel.GetStartFolder(), excel.GetStartReason());
        } else {
            outcome.m_nResult = REPORT_NO_WRITER;
            outcome.m_strMessage = NoWorkbookText() + QLatin1Char('\n') + outcome.m_strDetail;
        }
        return outcome;
    }
    try {
        Write(excel, plan, steps, testPoints, property);
        excel.WriteWorkbook();
    } catch (const CExcelError& e) {
        outcome.m_strDetail = e.Text();
    } catch (const std::bad_alloc&) {
        outcome.m_strDetail = Tr("メモリが足りません");
    }
    if (!outcome.m_strDetail.isEmpty()) {
        outcome.m_nResult = REPORT_FAILED;
        outcome.m_strMessage =
            Tr("レポートの作成中にエラーが発生しました。\n%1\nレポートは保存されていません。")
                .arg(outcome.m_strDetail);
        return outcome;
    }
    outcome.m_nResult = REPORT_MADE;
    outcome.m_strPath = excel.GetFilePath();
    return outcome;
}
