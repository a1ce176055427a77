#include "CPdfReport.h"

#include "VzrVersion.h"
#include "report/CExcelError.h"
#include "report/CPdfLayout.h"
#include "report/CReportFile.h"
#include "settings/CTestProperty.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIODevice>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <map>
#include <new>

#include <fcntl.h>
#include <unistd.h>

namespace {

// disambiguation: where one Japanese text reads as two English ones
QString Tr(const char* text, const char* disambiguation = nullptr) {
    return QCoreApplication::translate("CPdfReport", text, disambiguation);
}

using Column = CPdfLayout::Column;

// Judgements with a colour of their own, lightly enough that the verdict stays legible in
// print.
QColor VerdictFill(qint32 judge) {
    switch (judge) {
    case JUDGE_A:
        return QColor(0xd4, 0xed, 0xda);
    case JUDGE_B:
        return QColor(0xff, 0xf3, 0xcd);
    case JUDGE_C:
        return QColor(0xff, 0xdf, 0xb0);
    case JUDGE_D:
        return QColor(0xf5, 0xc6, 0xcb);
    default:
        return QColor();
    }
}

const QColor kLabelFill(0xf2, 0xf2, 0xf2);

// Room beside the widest text of a column, so that it is not wrapped by rounding and does
// not touch the rules.
constexpr double kSlack = 1.2;

// How narrow a column may get and how wide it would like to be.
struct Fit {
    double least = 0; // its values on one line, and each Latin word of its heading whole
    double want = 0;  // its heading on one line too
    Qt::Alignment align = Qt::AlignLeft;
};

// A Japanese heading breaks between any two of its characters; a Latin word does not.
bool BreaksAnywhere(const QString& word) {
    return std::any_of(word.cbegin(), word.cend(), [](QChar c) { return c.unicode() >= 0x2e80; });
}

Fit Measure(const CPdfLayout& pdf, const QString& heading, const QStringList& values,
            Qt::Alignment align) {
    double least = 0;
    for (const QString& value : values)
        least = std::max(least, pdf.NaturalWidth(CPdfLayout::BODY, value));
    for (const QString& word : heading.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!BreaksAnywhere(word))
            least = std::max(least, pdf.NaturalWidth(CPdfLayout::BOLD, word));
    }
    const double want = std::max(least, pdf.NaturalWidth(CPdfLayout::BOLD, heading));
    const double room = 2 * CPdfLayout::kCellPadding + kSlack;
    return {least + room, want + room, align};
}

// Widths that fill the page: the flexible column takes what the others leave (at least
// flexLeast). The others get what they want when there is room, else at least their least
// and a share of what is left; when even that is too much, they give in proportion and
// their texts wrap.
std::vector<Column> FitColumns(const std::vector<Fit>& fits, size_t flex, double flexLeast) {
    double least = 0, want = 0;
    for (size_t c = 0; c < fits.size(); ++c) {
        if (c != flex) {
            least += fits[c].least;
            want += std::max(fits[c].want, fits[c].least);
        }
    }
    const double room = CPdfLayout::kContentWidth - flexLeast;
    std::vector<Column> columns;
    double fixed = 0;
    for (size_t c = 0; c < fits.size(); ++c) {
        const double low = fits[c].least, high = std::max(fits[c].want, low);
        double width = 0;
        if (c == flex)
            width = 0;
        else if (want <= room)
            width = high;
        else if (least <= room)
            width = low + (high - low) * (room - least) / (want - least);
        else
            width = low * room / least;
        fixed += width;
        columns.push_back({width, fits[c].align});
    }
    columns[flex].width = CPdfLayout::kContentWidth - fixed;
    return columns;
}

// The step texts the results show, in the report's column order: interval before count.
constexpr int kStepColumns[] = {0, 1, 2, 3, 4, 6, 5, 7};

// A device writing into a file descriptor that stops at the first failure (a full disk, a
// file grown past its limit) and keeps it, so the report can be given up at once.
class FileSink : public QIODevice {
public:
    ~FileSink() override { Finish(); }

    bool Open(const QString& path) {
        m_fd = ::open(QFile::encodeName(path).constData(),
                      O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW);
        if (m_fd < 0) {
            m_nError = errno;
            return false;
        }
        return QIODevice::open(QIODevice::WriteOnly);
    }
    bool Failed() const { return m_nError != 0; }
    QString Reason() const { return QString::fromLocal8Bit(std::strerror(m_nError)); }
    // Writes what is held and closes the file; false when anything failed.
    bool Finish() {
        if (m_fd >= 0) {
            Drain();
            if (::close(m_fd) != 0 && m_nError == 0)
                m_nError = errno;
            m_fd = -1;
        }
        if (isOpen())
            QIODevice::close();
        return !Failed();
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (m_nError != 0)
            return -1;
        m_buffer.append(data, size);
        if (m_buffer.size() >= kChunk)
            Drain();
        return m_nError != 0 ? -1 : size;
    }

private:
    static constexpr qsizetype kChunk = 256 * 1024;

    void Drain() {
        const char* p = m_buffer.constData();
        qsizetype left = m_buffer.size();
        while (left > 0 && m_nError == 0) {
            const ssize_t written = ::write(m_fd, p, size_t(left));
            if (written < 0) {
                if (errno != EINTR)
                    m_nError = errno;
                continue;
            }
            p += written;
            left -= written;
        }
        m_buffer.clear();
    }

    int m_fd = -1;
    int m_nError = 0;
    QByteArray m_buffer;
};

// Thrown by the page check to give up a report whose file failed.
struct WriteStopped {};

} // namespace

CPdfReport::CPdfReport(const CSettingList& plan, const CExecList& steps, const QStringList& points,
                       const CTestProperty& property, const QString& title)
    : m_plan(plan), m_steps(steps), m_points(points), m_property(property),
      m_tmCreated(QDateTime::currentDateTime()) {
    m_strDocument = title.trimmed();
    if (m_strDocument.endsWith(QLatin1String(".vzt"), Qt::CaseInsensitive))
        m_strDocument.chop(4);
}

QString CPdfReport::ReportTitle() {
    return Tr("静電気放電イミュニティ試験 報告書");
}

QString CPdfReport::RunningTitle() const {
    return m_strDocument.isEmpty() ? ReportTitle()
                                   : ReportTitle() + QStringLiteral("  ") + m_strDocument;
}

QString CPdfReport::PointText(qint32 point) const {
    if (point >= 1 && point <= m_points.size())
        return QStringLiteral("%1: %2").arg(point).arg(m_points.at(point - 1));
    return point == 0 ? QString() : QString::number(point);
}

// ---- the parts -------------------------------------------------------------------------

namespace {

void Section(CPdfLayout& pdf, const QString& heading) {
    pdf.KeepSpace(24); // a heading stays with the start of its part
    pdf.Space(3);
    pdf.Paragraph(heading, CPdfLayout::SECTION);
    pdf.Space(1.5);
}

} // namespace

void CPdfReport::WriteOverview(CPdfLayout& pdf) const {
    const CTestProperty& p = m_property;
    Section(pdf, Tr("試験の概要"));
    pdf.BeginTable(
        {{28, Qt::AlignLeft}, {62, Qt::AlignLeft}, {28, Qt::AlignLeft}, {62, Qt::AlignLeft}}, {});
    const QString rows[][4] = {
        {Tr("企業名"), p.m_strCompanyName, Tr("試験場所"), p.m_strTestPlace},
        {Tr("品名/型名"), p.m_strModel, Tr("シリアル番号"), p.m_strSerial},
        {Tr("試験者名"), p.m_strOperator, Tr("規格名"), p.m_strStandard},
        {Tr("試験日"), CTestProperty::TestDateText(p.m_tmTest), Tr("試験時刻"),
         CTestProperty::TestTimeText(p.m_tmTest)},
        {Tr("温度"), p.m_strTemperature, Tr("湿度"), p.m_strHumidity},
    };
    const QColor fills[] = {kLabelFill, QColor(), kLabelFill, QColor()};
    for (const auto& row : rows)
        pdf.Row(row, fills);
    pdf.EndTable();
}

void CPdfReport::WriteEquipment(CPdfLayout& pdf) const {
    const CTestProperty& p = m_property;
    Section(pdf, Tr("試験装置"));
    pdf.BeginTable({{36, Qt::AlignLeft}, {72, Qt::AlignLeft}, {72, Qt::AlignLeft}},
                   {Tr("機器"), Tr("モデル名"), Tr("シリアルNo.")});
    const QString rows[][3] = {
        {Tr("試験器"), p.m_strEquipmentModel, p.m_strEquipmentSerialNo},
        {Tr("放電ガン"), p.m_strGunModel, p.m_strGunSerialNo},
        {Tr("放電カップ"), p.m_strCupModel, p.m_strCupSerialNo},
        {Tr("CRユニット"), p.m_strCrUnitModel, p.m_strCrUnitSerialNo},
    };
    const QColor fills[] = {kLabelFill, QColor(), QColor()};
    for (const auto& row : rows)
        pdf.Row(row, fills);
    pdf.EndTable();
}

void CPdfReport::WritePlan(CPdfLayout& pdf) const {
    Section(pdf, Tr("試験計画"));
    constexpr int kPlanColumns[] = {0, 1, 2, 3, 4, 6, 5};
    constexpr size_t kVoltage = 5; // the flexible column: a sweep or a list of voltages
    QStringList headings{Tr("Test No.")};
    for (int source : kPlanColumns)
        headings << CSettingData::GetColumnTitle(source);
    std::vector<QStringList> values(headings.size());
    for (size_t i = 0; i < m_plan.size(); ++i) {
        values[0] << QString::number(i + 1);
        for (size_t c = 0; c < std::size(kPlanColumns); ++c)
            values[c + 1] << m_plan[i]->GetColumnText(kPlanColumns[c]);
    }
    std::vector<Fit> fits;
    for (qsizetype c = 0; c < headings.size(); ++c) {
        const bool number = c == 0 || c >= 6;
        fits.push_back(
            Measure(pdf, headings[c], values[size_t(c)], number ? Qt::AlignRight : Qt::AlignLeft));
    }
    pdf.BeginTable(FitColumns(fits, kVoltage, 40), headings);
    QString row[8];
    for (size_t i = 0; i < m_plan.size(); ++i) {
        for (size_t c = 0; c < 8; ++c)
            row[c] = values[c][qsizetype(i)];
        pdf.Row(row);
    }
    pdf.EndTable();
}

void CPdfReport::WritePoints(CPdfLayout& pdf) const {
    if (m_points.isEmpty())
        return;
    Section(pdf, Tr("テストポイント", "section"));
    const QString number = Tr("No.");
    pdf.BeginTable(
        FitColumns(
            {Measure(pdf, number, {QString::number(m_points.size())}, Qt::AlignRight), Fit()}, 1,
            40),
        {number, Tr("名称")});
    for (qsizetype i = 0; i < m_points.size(); ++i) {
        const QString row[] = {QString::number(i + 1), m_points.at(i)};
        pdf.Row(row);
    }
    pdf.EndTable();
}

void CPdfReport::WriteSummary(CPdfLayout& pdf) const {
    // counts of "not judged", A, B, C and D, per point and in all
    using Counts = std::array<qint64, 5>;
    std::map<qint32, Counts> perPoint;
    for (qint32 point = 1; point <= m_points.size(); ++point)
        perPoint[point] = Counts{};
    Counts total{};
    for (const auto& step : m_steps) {
        const qint32 judge =
            step->m_nJudge >= JUDGE_A && step->m_nJudge <= JUDGE_D ? step->m_nJudge : JUDGE_NONE;
        ++total[size_t(judge)];
        if (!m_points.isEmpty())
            ++perPoint[step->m_lTestPointNo][size_t(judge)];
    }

    Section(pdf, Tr("判定集計"));
    const QString headings[] = {m_points.isEmpty() ? QString() : Tr("テストポイント", "column"),
                                QStringLiteral("A"),
                                QStringLiteral("B"),
                                QStringLiteral("C"),
                                QStringLiteral("D"),
                                Tr("判定なし"),
                                Tr("ステップ数")};
    // the counts alike, at least 14 mm
    Fit count{14, 14, Qt::AlignRight};
    for (size_t c = 1; c < std::size(headings); ++c) {
        const Fit fit =
            Measure(pdf, headings[c], {QString::number(m_steps.size())}, Qt::AlignRight);
        count.least = std::max(count.least, fit.least);
        count.want = std::max(count.want, fit.want);
    }
    std::vector<Fit> fits(std::size(headings), count);
    fits[0] = Fit();
    pdf.BeginTable(FitColumns(fits, 0, 30), QStringList(std::begin(headings), std::end(headings)));

    const QColor fills[] = {QColor(),
                            VerdictFill(JUDGE_A),
                            VerdictFill(JUDGE_B),
                            VerdictFill(JUDGE_C),
                            VerdictFill(JUDGE_D),
                            QColor(),
                            QColor()};
    auto row = [&](const QString& label, const Counts& counts) {
        qint64 steps = 0;
        for (qint64 n : counts)
            steps += n;
        const QString texts[] = {label,
                                 QString::number(counts[JUDGE_A]),
                                 QString::number(counts[JUDGE_B]),
                                 QString::number(counts[JUDGE_C]),
                                 QString::number(counts[JUDGE_D]),
                                 QString::number(counts[JUDGE_NONE]),
                                 QString::number(steps)};
        pdf.Row(texts, fills);
    };
    if (!m_points.isEmpty()) {
        for (const auto& [point, counts] : perPoint)
            row(point == 0 ? Tr("テストポイントなし") : PointText(point), counts);
    }
    row(Tr("合計"), total);
    pdf.EndTable();
}

void CPdfReport::WriteSignatures(CPdfLayout& pdf) const {
    // left for the operator: the program judges no report as a whole
    pdf.KeepSpace(70);
    Section(pdf, Tr("総合判定"));
    pdf.BeginTable({{30, Qt::AlignLeft}, {150, Qt::AlignLeft}}, {});
    const QString verdict[] = {Tr("総合判定"), QString()};
    const QColor labelFill[] = {kLabelFill, QColor(), QColor()};
    pdf.Row(verdict, labelFill, 14);
    pdf.EndTable();
    pdf.Space(5);
    pdf.BeginTable({{30, Qt::AlignLeft}, {75, Qt::AlignLeft}, {75, Qt::AlignLeft}},
                   {QString(), Tr("試験者"), Tr("承認者")});
    const struct {
        QString label;
        double height;
    } rows[] = {{Tr("署名"), 16}, {Tr("氏名"), 8}, {Tr("日付"), 8}};
    for (const auto& r : rows) {
        const QString texts[] = {r.label, QString(), QString()};
        pdf.Row(texts, labelFill, r.height);
    }
    pdf.EndTable();
}

void CPdfReport::WriteResults(CPdfLayout& pdf) const {
    pdf.NewPage();
    Section(pdf, Tr("試験結果"));
    const bool points = !m_points.isEmpty();

    // what the columns can show, for their widths: every text of the choices, the
    // extremes of the numbers
    CExecData probe;
    QStringList choices[8];
    for (qint32 mode : {DISC_CONTACT, DISC_AIR}) {
        probe.m_nDiscMode = mode;
        choices[0] << probe.GetColumnText(0);
    }
    for (qint32 level = IEC_LEVEL_1; level <= IEC_LEVEL_X + 1; ++level) {
        probe.m_nIecLevel = level;
        choices[1] << probe.GetColumnText(1);
    }
    for (qint32 trig = TRIG_VZR; trig <= TRIG_REMOTE; ++trig) {
        probe.m_nTrig = trig;
        choices[2] << probe.GetColumnText(2);
    }
    for (qint32 pola : {POLA_PLUS, POLA_MINUS}) {
        probe.m_nPola = pola;
        choices[3] << probe.GetColumnText(3);
    }
    for (qint32 judge = JUDGE_NONE; judge <= JUDGE_D; ++judge) {
        probe.m_nJudge = judge;
        choices[7] << probe.GetColumnText(7);
    }
    probe.m_nDiscMode = DISC_AIR;
    choices[5] << probe.GetColumnText(6);
    probe.m_nDiscMode = DISC_CONTACT;
    if (!m_steps.empty()) {
        const auto [lowVolt, highVolt] =
            std::minmax_element(m_steps.begin(), m_steps.end(), [](const auto& a, const auto& b) {
                return a->m_lVolt < b->m_lVolt;
            });
        const auto [lowInterval, highInterval] =
            std::minmax_element(m_steps.begin(), m_steps.end(), [](const auto& a, const auto& b) {
                return a->m_lInterval < b->m_lInterval;
            });
        const auto [lowCount, highCount] =
            std::minmax_element(m_steps.begin(), m_steps.end(), [](const auto& a, const auto& b) {
                return a->m_lCount < b->m_lCount;
            });
        for (const auto& step : {lowVolt, highVolt})
            choices[4] << (*step)->GetColumnText(4);
        for (const auto& step : {lowInterval, highInterval}) {
            probe.m_lInterval = (*step)->m_lInterval;
            choices[5] << probe.GetColumnText(6);
        }
        for (const auto& step : {lowCount, highCount})
            choices[6] << (*step)->GetColumnText(5);
    }

    QStringList headings{Tr("Step No.")};
    std::vector<Fit> fits{Measure(
        pdf, headings[0], {QString(QString::number(m_steps.size()).size(), u'0')}, Qt::AlignRight)};
    if (points) {
        // a point's name is free text: it wraps in a column of its own size
        headings << Tr("テストポイント", "column");
        QStringList names;
        for (qint32 point = 1; point <= m_points.size(); ++point)
            names << PointText(point);
        Fit fit = Measure(pdf, headings.last(), names, Qt::AlignLeft);
        fit.least = std::min(fit.least, 22.0);
        fit.want = std::min(fit.want, 35.0);
        fits.push_back(fit);
    }
    const Qt::Alignment aligns[] = {Qt::AlignLeft,    Qt::AlignLeft,   Qt::AlignLeft,
                                    Qt::AlignHCenter, Qt::AlignRight,  Qt::AlignRight,
                                    Qt::AlignRight,   Qt::AlignHCenter};
    for (size_t c = 0; c < std::size(kStepColumns); ++c) {
        headings << CExecData::GetColumnTitle(kStepColumns[c]);
        fits.push_back(Measure(pdf, headings.last(), choices[c], aligns[c]));
    }
    headings << CExecData::GetColumnTitle(8);
    fits.push_back(Fit());
    const size_t judgeColumn = fits.size() - 2;
    pdf.BeginTable(FitColumns(fits, fits.size() - 1, 30), headings);

    std::vector<QString> row(fits.size());
    std::vector<QColor> fills(fits.size());
    qint64 number = 0;
    for (const auto& step : m_steps) {
        size_t c = 0;
        row[c++] = QString::number(++number);
        if (points)
            row[c++] = PointText(step->m_lTestPointNo);
        for (int source : kStepColumns)
            row[c++] = step->GetColumnText(source);
        row[c] = step->GetColumnText(8);
        fills[judgeColumn] = VerdictFill(step->m_nJudge);
        pdf.Row(row.data(), fills.data());
    }
    pdf.EndTable();
}

void CPdfReport::Compose(CPdfLayout& pdf) const {
    pdf.Paragraph(ReportTitle(), CPdfLayout::TITLE, Qt::AlignHCenter);
    if (!m_strDocument.isEmpty()) {
        pdf.Space(2);
        pdf.Paragraph(m_strDocument, CPdfLayout::SECTION, Qt::AlignHCenter);
    }
    pdf.Space(1);
    pdf.Paragraph(Tr("作成日時 %1").arg(m_tmCreated.toString(QStringLiteral("yyyy/MM/dd HH:mm"))),
                  CPdfLayout::BODY, Qt::AlignRight);
    WriteOverview(pdf);
    WriteEquipment(pdf);
    WritePlan(pdf);
    WritePoints(pdf);
    WriteSummary(pdf);
    WriteSignatures(pdf);
    WriteResults(pdf);
    pdf.Finish();
}

int CPdfReport::Write(QIODevice& device, const std::function<void()>& pageCheck) const {
    QPdfWriter writer(&device);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Portrait);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(1200);
    writer.setTitle(RunningTitle());
    writer.setCreator(QStringLiteral("VZR-T8100 " VZR_VERSION_TEXT));

    // the pages counted first, so that every page can say how many there are
    int pages = 0;
    {
        CPdfLayout count(writer, nullptr, 0, RunningTitle());
        Compose(count);
        pages = count.Pages();
    }
    QPainter painter;
    if (!painter.begin(&writer))
        return 0;
    CPdfLayout paint(writer, &painter, pages, RunningTitle());
    paint.SetPageCheck(pageCheck);
    Compose(paint);
    painter.end();
    return paint.Pages();
}

CTestReport::Outcome CPdfReport::Create(const CSettingList& plan, const CExecList& steps,
                                        const QStringList& points, const CTestProperty& property,
                                        const QString& title, const QString& outputPath) {
    CTestReport::Outcome outcome;
    const QString op = QStringLiteral("WritePdf");
    auto failed = [&](const QString& where, const QString& reason) {
        outcome.m_nResult = CTestReport::REPORT_FAILED;
        outcome.m_strDetail = CExcelError(op, where, reason).Text();
        outcome.m_strMessage =
            Tr("レポートの作成中にエラーが発生しました。\n%1\nレポートは保存されていません。")
                .arg(outcome.m_strDetail);
        return outcome;
    };
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        outcome.m_nResult = CTestReport::REPORT_NO_WRITER;
        outcome.m_strDetail = Tr("PDFを描画できません (QGuiApplication がありません)");
        outcome.m_strMessage = outcome.m_strDetail;
        return outcome;
    }
    CReportFile file(QStringLiteral(".pdf"));
    file.SetTitle(title);
    file.SetOutputPath(outputPath);
    if (!file.Prepare()) {
        outcome.m_nResult = CTestReport::REPORT_NO_FOLDER;
        outcome.m_strDetail = file.FailureText();
        outcome.m_strMessage = CTestReport::NoFolderText(file.FailedFolder(), file.FailedReason());
        return outcome;
    }
    const QString folder = QDir::toNativeSeparators(file.Folder());
    QString reason;
    if (!file.CreateTemporary(&reason))
        return failed(folder, reason);

    FileSink sink;
    int pages = 0;
    try {
        if (sink.Open(file.TemporaryPath())) {
            const CPdfReport report(plan, steps, points, property, title);
            // a file that failed stops the report at the end of the page
            pages = report.Write(sink, [&sink] {
                if (sink.Failed())
                    throw WriteStopped();
            });
        }
    } catch (const WriteStopped&) {
    } catch (const std::bad_alloc&) {
        return failed(folder, Tr("メモリが足りません"));
    }
    if (!sink.Finish())
        return failed(folder, sink.Reason());
    if (pages == 0)
        return failed(folder, Tr("PDFを書き始められません"));
    QString where;
    if (!file.Commit(&where, &reason))
        return failed(where, reason);
    outcome.m_nResult = CTestReport::REPORT_MADE;
    outcome.m_strPath = file.FilePath();
    return outcome;
}
