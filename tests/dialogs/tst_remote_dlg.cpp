// The connection status dialog against the simulated instrument over pseudo-terminals.
#include "CVzrT8100Sim.h"
#include "dialogs/CRemoteDlg.h"
#include "link/CSerialPortTable.h"
#include "link/CVzrT8100Cntl.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {
// Generous bounds for a search and a check on a loaded machine: waits, not limits.
constexpr int WAIT_MS = 20000;
} // namespace

class TestRemoteDlg : public QObject {
    Q_OBJECT

    static QString State(const CRemoteDlg& dlg) {
        return dlg.findChild<QLineEdit*>(QStringLiteral("editState"))->text();
    }
    static void Reconnect(CRemoteDlg& dlg) {
        dlg.findChild<QPushButton*>(QStringLiteral("buttonReconnect"))->click();
    }

private slots:
    void cleanup() { CSerialPortTable::SetExplicitPorts({}); }

    void layoutAndNames() {
        CSerialPortTable::SetExplicitPorts({});
        CVzrT8100Cntl cntl;
        CRemoteDlg dlg(cntl);
        QCOMPARE(dlg.windowTitle(), QString("試験器接続状態"));
        QVERIFY(!dlg.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QCOMPARE(dlg.size(), QSize(245, 266));
        auto* state = dlg.findChild<QLineEdit*>(QStringLiteral("editState"));
        QVERIFY(state->isReadOnly());
        QCOMPARE(state->accessibleName(), QString("VZR-T8100"));
        QCOMPARE(dlg.findChild<QPushButton*>(QStringLiteral("buttonReconnect"))->text(),
                 QString("再接続"));
        QVERIFY(dlg.findChild<QPushButton*>(QStringLiteral("buttonOk"))->isDefault());
        QCOMPARE(State(dlg), QString("None"));
    }

    void answeringInstrumentIsAskedOnceASecond() {
        CVzrT8100Sim sim;
        QVERIFY(sim.Start());
        CSerialPortTable::SetExplicitPorts({sim.PortPath()});
        CVzrT8100Cntl cntl;
        QVERIFY(cntl.IsConnected());
        sim.ClearLog();
        CRemoteDlg dlg(cntl);
        QElapsedTimer clock;
        clock.start();
        dlg.show();
        QCOMPARE(State(dlg), QString("Connect"));
        QTRY_VERIFY_WITH_TIMEOUT(sim.CommandLog().size() >= 3, WAIT_MS);
        // three checks take three periods at least (window timers may fire 5 % early)
        QVERIFY2(clock.elapsed() >= 3 * CRemoteDlg::WATCH_MS * 95 / 100,
                 qPrintable(QString::number(clock.elapsed())));
        for (const QString& command : sim.CommandLog())
            QCOMPARE(command, QString("QA"));
        QCOMPARE(State(dlg), QString("Connect"));
        QVERIFY(cntl.IsConnected());
    }

    void cablePulledAndPluggedIn() {
        CVzrT8100Sim sim;
        QVERIFY(sim.Start());
        CSerialPortTable::SetExplicitPorts({sim.PortPath()});
        CVzrT8100Cntl cntl;
        CRemoteDlg dlg(cntl);
        dlg.show();
        QCOMPARE(State(dlg), QString("Connect"));
        sim.SetSilent(true);
        QTRY_COMPARE_WITH_TIMEOUT(State(dlg), QString("None"), WAIT_MS);
        QVERIFY(!cntl.IsConnected());
        // from now on a search every second
        const int enqs = sim.EnqCount();
        QTRY_VERIFY_WITH_TIMEOUT(sim.EnqCount() >= enqs + 2, WAIT_MS);
        QCOMPARE(State(dlg), QString("None"));
        sim.SetSilent(false);
        QTRY_COMPARE_WITH_TIMEOUT(State(dlg), QString("Connect"), WAIT_MS);
        QVERIFY(cntl.IsConnected());
    }

    void reconnectSearchesAfresh() {
        CVzrT8100Sim first;
        CVzrT8100Sim second;
        QVERIFY(first.Start());
        QVERIFY(second.Start());
        first.SetSilent(true);
        CSerialPortTable::SetExplicitPorts({first.PortPath(), second.PortPath()});
        CVzrT8100Cntl cntl;
        QCOMPARE(cntl.GetPortNo(), 2);
        CRemoteDlg dlg(cntl);
        // the port in use is given up first, so the search can end on another one
        first.SetSilent(false);
        Reconnect(dlg);
        QCOMPARE(State(dlg), QString("Connect"));
        QCOMPARE(cntl.GetPortNo(), 1);
        // with no instrument anywhere the search ends without a port
        first.SetSilent(true);
        second.SetSilent(true);
        Reconnect(dlg);
        QCOMPARE(State(dlg), QString("None"));
        QVERIFY(!cntl.IsConnected());
    }

    void closingStopsTheWatchAndKeepsTheConnection() {
        CVzrT8100Sim sim;
        QVERIFY(sim.Start());
        CSerialPortTable::SetExplicitPorts({sim.PortPath()});
        CVzrT8100Cntl cntl;
        {
            CRemoteDlg dlg(cntl);
            dlg.show();
            QVERIFY(QTest::qWaitForWindowActive(&dlg));
            QTRY_VERIFY_WITH_TIMEOUT(!sim.CommandLog().isEmpty(), WAIT_MS);
            QTest::keyClick(&dlg, Qt::Key_Escape);
            QVERIFY(!dlg.isVisible());
            sim.ClearLog();
            QTest::qWait(2 * CRemoteDlg::WATCH_MS + 500);
            QVERIFY(sim.CommandLog().isEmpty());
        }
        QVERIFY(cntl.IsConnected());
        QString reply;
        QVERIFY(cntl.Identify(reply));
    }

    void enterCloses() {
        CSerialPortTable::SetExplicitPorts({});
        CVzrT8100Cntl cntl;
        CRemoteDlg dlg(cntl);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestRemoteDlg)
#include "tst_remote_dlg.moc"
