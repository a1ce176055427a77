#include "CRunsCommand.h"

#include "commands/CCommandDataFile.h"
#include "data/CVzrT8100Doc.h"
#include "execution/CRunRecordReader.h"
#include "execution/CRunRecordStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringConverter>
#include <QTextStream>

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CRunsCommand", text);
}

// Errors shown in one line at most; the rest are counted.
constexpr int kErrorsShown = 20;

QString ErrorsText(const CRunRecordReader& reader) {
    if (reader.ErrorCount() == 0)
        return QCoreApplication::translate("CRunsCommand", "なし");
    QStringList items;
    for (const CRunRecordReader::InstrumentError& e : reader.Errors()) {
        if (items.size() == kErrorsShown)
            break;
        QString item =
            e.tmTime.isValid() ? e.tmTime.toString(QStringLiteral("HH:mm:ss ")) : QString();
        if (e.lStep > 0)
            item += QStringLiteral("Step %1 ").arg(e.lStep);
        item += QCoreApplication::translate("CRunsCommand", "%1 (コード %2)")
                    .arg(e.strText)
                    .arg(e.lCode);
        items.append(item);
    }
    QString text = QCoreApplication::translate("CRunsCommand", "%1 件: ").arg(reader.ErrorCount()) +
                   items.join(QStringLiteral("; "));
    if (reader.ErrorCount() > items.size())
        text += QCoreApplication::translate("CRunsCommand", "; ほか %1 件")
                    .arg(reader.ErrorCount() - items.size());
    // one line of the listing, whatever the instrument's texts hold
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

} // namespace

QString CRunsCommand::TimeText(const QDateTime& time) {
    return time.isValid() ? time.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) : QString();
}

int CRunsCommand::Run(const QString& dataFile, QTextStream& out, QTextStream& err) {
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    CVzrT8100Doc doc;
    if (!CCommandDataFile::Open(dataFile, doc, err))
        return 1;
    const QList<CRunRecordStore::Entry> entries = CRunRecordStore::RecordsOf(dataFile);
    out << Tr("開始") << '\t' << Tr("終了") << '\t' << Tr("判定") << '\t' << Tr("試験器エラー")
        << '\t' << Tr("計画") << '\t' << Tr("記録") << '\n';
    for (const CRunRecordStore::Entry& entry : entries) {
        CRunRecordReader reader;
        const QString shown = QDir::toNativeSeparators(entry.strPath);
        if (reader.Read(entry.strPath) != CRunRecordReader::READ_OK) {
            err << Tr("試験記録を読めません: %1: %2").arg(shown, reader.ErrorText()) << '\n';
            continue;
        }
        if (reader.Damaged())
            err << Tr("試験記録 %1 は破損しています: %2").arg(shown, reader.DamageText()) << '\n';
        const QDateTime last = reader.LastEventTime();
        QString end = TimeText(last.isValid() ? last : reader.Start());
        if (!reader.Closed())
            end += Tr(" (中断)");
        if (reader.Damaged())
            end += Tr(" (記録破損: %1 行目まで)").arg(reader.LastLineRead());
        out << TimeText(reader.Start()) << '\t' << end << '\t'
            << QStringLiteral("%1/%2").arg(reader.JudgedCount()).arg(reader.StepCount()) << '\t'
            << ErrorsText(reader) << '\t'
            << (reader.Matches(doc.GetExecList(), doc.TestPoints()) ? Tr("一致") : Tr("不一致"))
            << '\t' << shown << '\n';
    }
    if (entries.isEmpty())
        err << Tr("試験記録はありません。") << '\n';
    out.flush();
    err.flush();
    return 0;
}
