#include "CReportCommand.h"

#include "commands/CCommandDataFile.h"
#include "data/CVzrT8100Doc.h"
#include "execution/CRunRecordReader.h"
#include "report/CPdfReport.h"
#include "report/CTestReport.h"
#include "settings/CTestProperty.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringConverter>
#include <QTextStream>

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CReportCommand", text);
}

} // namespace

int CReportCommand::Run(const QString& dataFile, const QString& outputPath, QTextStream& out,
                        QTextStream& err, const QString& resultsRecord, const QString& pdfPath) {
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    auto fail = [&err](const QString& text) {
        err << text << '\n';
        err.flush();
        return 1;
    };
    CVzrT8100Doc doc;
    if (!CCommandDataFile::Open(dataFile, doc, err))
        return 1;
    CTestProperty property;
    QString damage; // the record was not read to its end
    if (resultsRecord.isEmpty()) {
        property.LoadIni();
        property.m_tmTest = 0; // no run yet: the report shows "----"
        // a data file holds no judgements or comments: the steps read as unjudged already
    } else {
        CRunRecordReader reader;
        const QString shown = QDir::toNativeSeparators(resultsRecord);
        if (reader.Read(resultsRecord) != CRunRecordReader::READ_OK)
            return fail(Tr("試験記録を読めません: %1: %2").arg(shown, reader.ErrorText()));
        if (!reader.Matches(doc.GetExecList(), doc.TestPoints()))
            return fail(Tr("試験記録 %1 はデータファイル %2 の試験計画と一致しません。\n"
                           "ステップ、その順序または値が記録された試験と異なります。")
                            .arg(shown, QDir::toNativeSeparators(dataFile)));
        if (reader.Damaged())
            damage = Tr("試験記録 %1 は破損しています: %2").arg(shown, reader.DamageText());
        reader.ApplyTo(doc.GetExecList());
        property = reader.Property();
    }

    // the workbook unless only a PDF was asked for; each file is whole or not there
    int result = 0;
    auto told = [&](const CTestReport::Outcome& outcome) {
        if (outcome.m_nResult != CTestReport::REPORT_MADE) {
            err << Tr("レポートを作成できません。") << '\n' << outcome.m_strDetail << '\n';
            err.flush();
            result = 1;
            return;
        }
        out << QDir::toNativeSeparators(outcome.m_strPath) << '\n';
        out.flush();
    };
    if (pdfPath.isEmpty() || !outputPath.isEmpty())
        told(CTestReport::Create(doc.GetSettingList(), doc.GetExecList(), doc.TestPoints(),
                                 property, doc.GetTitle(), outputPath));
    if (!pdfPath.isEmpty())
        told(CPdfReport::Create(doc.GetSettingList(), doc.GetExecList(), doc.TestPoints(), property,
                                doc.GetTitle(), pdfPath));
    if (result != 0)
        return result;
    if (!damage.isEmpty()) {
        // the reports hold what was read, which is not necessarily the whole run
        err << damage << '\n';
        err.flush();
        return 3;
    }
    err.flush();
    return 0;
}
