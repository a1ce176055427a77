#include "CReportCommand.h"

#include "CTestReport.h"
#include "data/CVzrT8100Doc.h"
#include "settings/CTestProperty.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringConverter>
#include <QTextStream>

int CReportCommand::Run(const QString& dataFile, const QString& outputPath, QTextStream& out,
                        QTextStream& err) {
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    CVzrT8100Doc doc;
    QString errorText;
    if (!doc.OpenFile(dataFile, &errorText)) {
        err << errorText << '\n';
        err.flush();
        return 1;
    }
    CTestProperty property;
    property.LoadIni();
    property.m_tmTest = 0; // no run yet: the report shows "----"
    // a data file holds no judgements or comments: the steps read as unjudged already

    const CTestReport::Outcome outcome = CTestReport::Create(
        doc.GetSettingList(), doc.GetExecList(), property, doc.GetTitle(), outputPath);
    if (outcome.m_nResult != CTestReport::REPORT_MADE) {
        err << QCoreApplication::translate("CReportCommand", "レポートを作成できません。") << '\n'
            << outcome.m_strDetail << '\n';
        err.flush();
        return 1;
    }
    out << QDir::toNativeSeparators(outcome.m_strPath) << '\n';
    out.flush();
    return 0;
}
