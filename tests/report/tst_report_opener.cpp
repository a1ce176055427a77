// The windows' side of a finished report, workbook or PDF: the messages, the status bar and
// the hand-over to the desktop.
#include "ReportTestUtil.h"
#include "common/CReportOpener.h"
#include "common/DiskFull.h"
#include "common/UrlCatcher.h"
#include "common/WhenModal.h"
#include "report/CPdfReport.h"
#include "settings/CTestProperty.h"

#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <QUrl>
#include <QtTest>

class TestReportOpener : public QObject {
    Q_OBJECT

    CVzrT8100Doc m_doc;
    CTestProperty m_property;
    QMainWindow m_main;
    CUrlCatcher m_catcher;

    QString StatusText() const { return m_main.statusBar()->currentMessage(); }

    // The report of the three-condition plan made and handed over, a workbook or a PDF.
    bool HandOver(bool pdf, QString* path = nullptr) {
        const CTestReport::Outcome outcome =
            pdf ? CPdfReport::Create(m_doc.GetSettingList(), m_doc.GetExecList(), {}, m_property,
                                     QStringLiteral("Test1"))
                : CTestReport::Create(m_doc.GetSettingList(), m_doc.GetExecList(), {}, m_property,
                                      QStringLiteral("Test1"));
        if (path)
            *path = outcome.m_strPath;
        return CReportOpener::HandOver(outcome, &m_main);
    }

private slots:
    void initTestCase() {
        ReportTest::FillThreeConditions(m_doc);
        m_property.LoadIni();
        m_main.statusBar()->setObjectName(QStringLiteral("statusBar"));
        m_main.show();
    }

    void init() {
        m_catcher.m_urls.clear();
        m_main.statusBar()->clearMessage();
        QDir(CTestProperty::ReportsFolder()).removeRecursively();
        QFile::remove(CTestProperty::ReportsFolder());
    }
    void cleanup() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    void reportIsHandedToTheDesktop_data() {
        QTest::addColumn<bool>("pdf");
        QTest::newRow("workbook") << false;
        QTest::newRow("pdf") << true;
    }
    void reportIsHandedToTheDesktop() {
        QFETCH(bool, pdf);
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_catcher, "open");
        m_doc.GetExecList()[0]->m_nJudge = JUDGE_D;
        QString path;
        QVERIFY(HandOver(pdf, &path));
        QCOMPARE(QFileInfo(path).absolutePath(), CTestProperty::ReportsFolder());
        QVERIFY(path.endsWith(pdf ? ".pdf" : ".xlsx"));
        QCOMPARE(m_catcher.m_urls, QList<QUrl>{QUrl::fromLocalFile(path)});
        QVERIFY2(StatusText().contains(QDir::toNativeSeparators(path)), qPrintable(StatusText()));
        QCOMPARE(m_doc.GetExecList()[0]->m_nJudge, qint32(JUDGE_D));
    }

    void nothingOpensIt() {
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            QSKIP("only the offscreen platform is sure to have no application to open it");
        BoxSeen seen;
        AnswerNextBox(QMessageBox::Ok, &seen);
        QString path;
        // the report still counts as made
        QVERIFY(HandOver(true, &path));
        QVERIFY(seen.shown);
        QVERIFY2(seen.text.contains(QDir::toNativeSeparators(path)), qPrintable(seen.text));
        QVERIFY(QFileInfo::exists(path));
        QVERIFY(StatusText().contains(QDir::toNativeSeparators(path)));
    }

    void noWorkbook() {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_catcher, "open");
        const QString folder = CTestProperty::ReportsFolder();
        QVERIFY(QDir().mkpath(QFileInfo(folder).absolutePath()));
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        BoxSeen seen;
        AnswerNextBox(QMessageBox::Ok, &seen);
        QVERIFY(!HandOver(false));
        QVERIFY(seen.shown);
        QVERIFY2(seen.text.startsWith(QStringLiteral("レポートのフォルダに書き込めません。\n") +
                                      QDir::toNativeSeparators(folder) + QLatin1Char('\n')),
                 qPrintable(seen.text));
        QVERIFY(m_catcher.m_urls.isEmpty());
    }

    void failureWhileWriting_data() { reportIsHandedToTheDesktop_data(); }
    void failureWhileWriting() {
        QFETCH(bool, pdf);
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_catcher, "open");
        QVERIFY(QDir().mkpath(CTestProperty::ReportsFolder()));
        BoxSeen seen;
        AnswerNextBox(QMessageBox::Ok, &seen);
        // the disk fills while the workbook is written
        const bool made = WithDiskFull(2048, [&] { return HandOver(pdf); });
        QVERIFY(!made);
        QVERIFY(seen.shown);
        QVERIFY2(
            seen.text.contains(pdf ? QStringLiteral("WritePdf") : QStringLiteral("WriteWorkbook")),
            qPrintable(seen.text));
        QVERIFY(m_catcher.m_urls.isEmpty());
        QVERIFY(
            QDir(CTestProperty::ReportsFolder()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }
};

QTEST_MAIN(TestReportOpener)
#include "tst_report_opener.moc"
