// Opening the execution dialog on a run list of 100,000 steps and filling its results list
// (target: under 200 ms), then the bulk rewrite and a scroll through the list. Prints its
// figures; it is not a test. Runs offscreen unless a platform is asked for.
#include "data/CStepListModel.h"
#include "execution/CExecDlg.h"
#include "link/CSerialPortTable.h"
#include "link/CVzrT8100Cntl.h"
#include "settings/CTestProperty.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int STEPS = 100000;
constexpr int ROUNDS = 5;

double Ms(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

struct Stats {
    std::vector<double> ms;
    void Print(const char* name) {
        std::sort(ms.begin(), ms.end());
        std::printf("%-44s min %8.1f ms   median %8.1f ms   max %8.1f ms\n", name, ms.front(),
                    ms[ms.size() / 2], ms.back());
    }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("VZR_T8100_SYSTEM_PORTS", "0");
    QApplication app(argc, argv);
    CSerialPortTable::SetExplicitPorts({});
    CVzrT8100Cntl cntl; // no instrument: the figures are the dialog's own
    CTestProperty property;

    CSettingList plan;
    CExecList steps;
    steps.reserve(STEPS);
    for (int i = 0; i < STEPS; ++i) {
        auto step = std::make_unique<CExecData>();
        step->m_nDiscMode = (i / 2) % 2 == 0 ? DISC_CONTACT : DISC_AIR;
        step->m_nPola = i % 2;
        step->m_lVolt = 200 + 10 * (i % 3000);
        step->m_lInterval = 1000;
        step->m_lCount = 10;
        step->m_strComment = i % 10 == 0 ? QStringLiteral("コメント %1").arg(i) : QString();
        steps.push_back(std::move(step));
    }

    Stats open;
    Stats fill;
    Stats scroll;
    for (int round = 0; round < ROUNDS; ++round) {
        QElapsedTimer timer;
        timer.start();
        CExecDlg dlg(cntl, property, &plan, &steps, {});
        dlg.show();
        if (!QTest::qWaitForWindowExposed(&dlg)) {
            std::fprintf(stderr, "bench_execdlg: the dialog did not show\n");
            return 1;
        }
        QApplication::processEvents();
        open.ms.push_back(Ms(timer));

        timer.restart();
        dlg.FillResultList();
        QApplication::processEvents();
        fill.ms.push_back(Ms(timer));

        auto* list = dlg.findChild<QTableView*>("listResults");
        timer.restart();
        list->scrollToBottom();
        list->viewport()->repaint();
        list->scrollToTop();
        list->viewport()->repaint();
        scroll.ms.push_back(Ms(timer));
    }

    std::printf("run list of %d steps, %d rounds\n", STEPS, ROUNDS);
    open.Print("open the dialog, fill and show the list");
    fill.Print("FillResultList again (bulk operations)");
    scroll.Print("scroll to the last row and back, painted");
    return 0;
}
