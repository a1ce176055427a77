// The Debian package of this build: made by CPack, unpacked into a scratch root with
// dpkg-deb, its programs run from there on files outside the build tree, checked by lintian.
#include "VzrVersion.h"
#include "common/ChildProcess.h"
#include "common/Plans.h"
#include "report/ReportTestUtil.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestPackage : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir; // outside the build tree
    QString m_package;   // the .deb
    QString m_root;      // the package unpacked

    QString root(const QString& path) const { return m_root + path; }

    // A program of the system, found on the system's own path; fails the test when missing.
    static QString tool(const char* name) {
        const QString path = QStandardPaths::findExecutable(QLatin1String(name));
        if (path.isEmpty())
            qWarning("%s is missing: scripts/bootstrap installs it", name);
        return path;
    }

    static ProcessRun runTool(const char* name, const QStringList& args) {
        return RunProcess(tool(name), args);
    }

    // The installed program's world: nothing of the build tree, the system's own paths, the
    // test's home and runtime folders, the sanitizers' settings this test was given.
    QProcessEnvironment installedEnvironment() const {
        const QProcessEnvironment inherited = QProcessEnvironment::systemEnvironment();
        QProcessEnvironment env;
        for (const QString& key : inherited.keys()) {
            if (key.startsWith("ASAN_") || key.startsWith("LSAN_") || key.startsWith("UBSAN_") ||
                key.startsWith("XDG_") || key == "HOME" || key == "QT_QPA_PLATFORM" ||
                key == "VZR_T8100_SYSTEM_PORTS")
                env.insert(key, inherited.value(key));
        }
        env.insert("PATH", "/usr/bin:/bin");
        env.insert("LANG", "C.UTF-8");
        return env;
    }

    ProcessRun runInstalled(const char* program, const QStringList& args) const {
        return RunProcess(root("/usr/bin/") + QLatin1String(program), args, {},
                          installedEnvironment());
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY2(!m_dir.path().startsWith(QStringLiteral(VZR_BUILD_DIR)), qPrintable(m_dir.path()));
        const QString out = m_dir.filePath("package");
        const ProcessRun cpack =
            RunProcess(QStringLiteral(VZR_CPACK), {"--config", VZR_CPACK_CONFIG, "-B", out});
        QVERIFY2(cpack.exitCode == 0, qPrintable(cpack.out + cpack.err));
        const ProcessRun arch = runTool("dpkg", {"--print-architecture"});
        QCOMPARE(arch.exitCode, 0);
        m_package = QStringLiteral("%1/vzr-t8100_%2_%3.deb")
                        .arg(out, QStringLiteral(VZR_VERSION_TEXT), arch.out.trimmed());
        QVERIFY2(QFileInfo::exists(m_package), qPrintable(cpack.out));
        m_root = m_dir.filePath("root");
        const ProcessRun unpack = runTool("dpkg-deb", {"-x", m_package, m_root});
        QVERIFY2(unpack.exitCode == 0, qPrintable(unpack.err));
    }

    void contents() {
        const ProcessRun list = runTool("dpkg-deb", {"-c", m_package});
        QCOMPARE(list.exitCode, 0);
        // the tar listing's last column is the path
        QStringList paths;
        for (const QString& line : list.out.split('\n', Qt::SkipEmptyParts))
            paths << line.section(' ', -1);
        for (const QString& path : paths)
            QVERIFY2(path == "./" || path.startsWith("./usr/"), qPrintable(path));
        for (const char* path :
             {"/usr/bin/vzr-t8100", "/usr/bin/vzr-t8100-sim",
              "/usr/share/applications/vzr-t8100.desktop", "/usr/share/mime/packages/vzr-t8100.xml",
              "/usr/share/icons/hicolor/16x16/apps/vzr-t8100.png",
              "/usr/share/icons/hicolor/32x32/apps/vzr-t8100.png",
              "/usr/share/icons/hicolor/48x48/apps/vzr-t8100.png",
              "/usr/share/icons/hicolor/128x128/apps/vzr-t8100.png",
              "/usr/share/doc/vzr-t8100/copyright", "/usr/share/doc/vzr-t8100/changelog.gz",
              "/usr/share/man/man1/vzr-t8100.1.gz", "/usr/share/man/man1/vzr-t8100-sim.1.gz"})
            QVERIFY2(paths.contains(QLatin1Char('.') + QLatin1String(path)), path);
        // the desktop and MIME databases are refreshed by the triggers of the packages that
        // own them, not by scripts of ours
        const QString control = m_dir.filePath("control");
        QCOMPARE(runTool("dpkg-deb", {"-e", m_package, control}).exitCode, 0);
        for (const char* script : {"preinst", "postinst", "prerm", "postrm"})
            QVERIFY2(!QFileInfo::exists(control + '/' + script), script);
    }

    void controlFields() {
        const ProcessRun fields =
            runTool("dpkg-deb", {"-f", m_package, "Package", "Version", "Depends"});
        QCOMPARE(fields.exitCode, 0);
        QVERIFY2(fields.out.contains("Package: vzr-t8100\n"), qPrintable(fields.out));
        QVERIFY2(fields.out.contains("Version: " VZR_VERSION_TEXT "\n"), qPrintable(fields.out));
        // found from the program's shared libraries
        const QString depends = fields.out.section("Depends: ", 1).trimmed();
        for (const char* pattern :
             {R"(\blibqt6widgets6\b)", R"(\blibqt6serialport6\b)", R"(\blibxlsxwriter\d+\b)"})
            QVERIFY2(QRegularExpression(pattern).match(depends).hasMatch(),
                     qPrintable(depends + " lacks " + pattern));
    }

    void lintianFindsNoError() {
        const ProcessRun lintian = runTool("lintian", {"--no-tag-display-limit", m_package});
        QVERIFY2(lintian.exitCode >= 0, "lintian did not run");
        qInfo("%s", qPrintable(lintian.out));
        for (const QString& line : lintian.out.split('\n'))
            QVERIFY2(!line.startsWith("E: "), qPrintable(line));
        // each program has its manual page, and man reads it
        QVERIFY2(!lintian.out.contains("no-manual-page"), qPrintable(lintian.out));
        QVERIFY2(!lintian.out.contains("manpage"), qPrintable(lintian.out));
    }

    void installedProgramsRun() {
        // the version the About box shows is the package's
        const ProcessRun version = runInstalled("vzr-t8100", {"--version"});
        QCOMPARE(version.out, QString("VZR-T8100 " VZR_VERSION_TEXT "\n"));

        // a data file's plan and its report, as the build's own program makes them
        CVzrT8100Doc doc;
        ReportTest::FillThreeConditions(doc);
        const QString plan = m_dir.filePath("plan.vzt");
        QString error;
        QVERIFY2(doc.SaveFile(plan, &error), qPrintable(error));
        const ProcessRun dump = runInstalled("vzr-t8100", {"--dump", plan});
        QCOMPARE(dump.exitCode, 0);
        QCOMPARE(dump.out, RunProcess(BuildProgram("vzr-t8100"), {"--dump", plan}).out);

        QVERIFY(QDir(m_dir.path()).mkpath("reports"));
        const ProcessRun report =
            runInstalled("vzr-t8100", {"--report", plan, "--out", m_dir.filePath("reports")});
        QCOMPARE(report.exitCode, 0);
        const QString built = m_dir.filePath("built.xlsx");
        QCOMPARE(RunProcess(BuildProgram("vzr-t8100"), {"--report", plan, "--out", built}).exitCode,
                 0);
        const QJsonObject book = ReportTest::ReadWorkbook(report.out.trimmed(), &error);
        QVERIFY2(!book.isEmpty(), qPrintable(error));
        QCOMPARE(book, ReportTest::ReadWorkbook(built, &error));

        // the installed simulator answers the installed program
        QProcess sim;
        sim.setProcessEnvironment(installedEnvironment());
        sim.start(root("/usr/bin/vzr-t8100-sim"), QStringList());
        QVERIFY(sim.waitForStarted());
        while (!sim.canReadLine() && sim.state() == QProcess::Running)
            sim.waitForReadyRead(1000);
        const QString port = QString::fromLocal8Bit(sim.readLine()).trimmed();
        const ProcessRun identify = runInstalled("vzr-t8100", {"--identify", "--port", port});
        EndProcess(sim);
        QCOMPARE(identify.exitCode, 0);
        QVERIFY2(identify.out.contains("VALDMARK SYSTEMS, VZR-T81"), qPrintable(identify.out));
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
