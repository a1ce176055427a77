#include "CRunCommand.h"

#include "commands/CCommandDataFile.h"
#include "commands/CIdentifyCommand.h"
#include "data/CVzrT8100Doc.h"
#include "execution/CRunRecord.h"
#include "execution/CRunSession.h"
#include "link/CVzrT8100Cntl.h"
#include "report/CTestReport.h"
#include "settings/CTestProperty.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSocketNotifier>
#include <QTextStream>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CRunCommand", text);
}

// The pipe's end the stop signals are written into; -1 while no run listens.
std::atomic<int> g_fdSignal{-1};

// Only what a signal handler may do: the signal's number into the pipe.
extern "C" void OnStopSignal(int signal) {
    const int saved = errno;
    const int fd = g_fdSignal.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signal);
        [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
    }
    errno = saved;
}

// Columns a character takes on a terminal: two for the wide ones (kana, kanji, full-width
// forms), one for the rest.
qsizetype Columns(char32_t c) {
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

// text cut to fit in limit columns; its width in width.
QString FitColumns(const QString& text, qsizetype limit, qsizetype& width) {
    QString fitted;
    width = 0;
    for (const char32_t c : text.toUcs4()) {
        if (width + Columns(c) > limit)
            break;
        width += Columns(c);
        fitted += QString::fromUcs4(&c, 1);
    }
    return fitted;
}

qsizetype TerminalColumns() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

// "1:05:09", "4:02": a time left, whole seconds rounded up.
QString TimeLeftText(qint64 ms) {
    const qint64 seconds = (qMax<qint64>(0, ms) + 999) / 1000;
    if (seconds >= 3600)
        return QString::asprintf("%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                                 seconds % 60);
    return QString::asprintf("%lld:%02lld", seconds / 60, seconds % 60);
}

} // namespace

// ---- texts -----------------------------------------------------------------------------

QString CRunCommand::StepLine(int row, const CExecData& step) {
    // the values as the results list shows them
    return Tr("Step No.%1  %2  %3%4 kV  count %5: %6")
        .arg(QString::asprintf("%4d", row + 1), step.GetColumnText(0).leftJustified(7),
             step.GetColumnText(3), step.GetColumnText(4).rightJustified(6), step.GetColumnText(5),
             step.GetColumnText(7));
}

QString CRunCommand::CountsLine(const CExecList& steps) {
    qint64 counts[JUDGE_D + 1] = {};
    for (const std::unique_ptr<CExecData>& step : steps) {
        const qint32 judge = step->m_nJudge;
        ++counts[judge >= JUDGE_A && judge <= JUDGE_D ? judge : JUDGE_NONE];
    }
    return Tr("A %1  B %2  C %3  D %4  判定なし %5")
        .arg(counts[JUDGE_A])
        .arg(counts[JUDGE_B])
        .arg(counts[JUDGE_C])
        .arg(counts[JUDGE_D])
        .arg(counts[JUDGE_NONE]);
}

QString CRunCommand::ProgressText(const CExecList& steps, int step, qint64 done) {
    const int total = int(steps.size());
    if (step < 0 || step >= total)
        return QString();
    const qint64 count = qMax<qint64>(0, steps[size_t(step)]->m_lCount);
    done = qBound<qint64>(0, done, count);
    qint64 leftMs = 0;
    for (int k = step; k < total; ++k) {
        const CExecData& s = *steps[size_t(k)];
        const qint64 left = k == step ? count - done : qMax<qint64>(0, s.m_lCount);
        leftMs += left * qMax<qint64>(0, s.m_lInterval);
    }
    constexpr int BAR = 20;
    const double part = count > 0 ? double(done) / double(count) : 0.0;
    const int filled = qBound(0, int((step + part) * BAR / total), BAR);
    const QString bar = QLatin1Char('[') + QString(filled, QLatin1Char('#')) +
                        QString(BAR - filled, QLatin1Char('-')) + QLatin1Char(']');
    return Tr("%1 Step %2/%3  放電 %4/%5  残り %6")
        .arg(bar)
        .arg(step + 1)
        .arg(total)
        .arg(done)
        .arg(count)
        .arg(TimeLeftText(leftMs));
}

// ---- the run ---------------------------------------------------------------------------

int CRunCommand::Run(const Options& options, QTextStream& out, QTextStream& err) {
    CRunCommand command(options, out, err);
    return command.Execute();
}

CRunCommand::CRunCommand(const Options& options, QTextStream& out, QTextStream& err)
    : m_options(options), m_out(out), m_err(err) {
    m_bProgressBar = !options.bQuiet && ::isatty(STDERR_FILENO);
    for (int id = 0; id < int(m_timers.size()); ++id) {
        m_timers[size_t(id)].setSingleShot(true);
        QObject::connect(&m_timers[size_t(id)], &QTimer::timeout, &m_context, [this, id] {
            if (m_pSession)
                m_pSession->Sequencer().OnTimer(id);
        });
    }
    // Ctrl+C and a service manager's stop reach the event loop through a pipe
    if (::pipe2(m_afdSignal, O_CLOEXEC | O_NONBLOCK) == 0) {
        g_fdSignal = m_afdSignal[1];
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, &m_saOldInt);
        sigaction(SIGTERM, &action, &m_saOldTerm);
        // a reader of the output that goes away (| head) does not end the run half-way
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGPIPE, &ignore, &m_saOldPipe);
        m_pSignalNotifier =
            std::make_unique<QSocketNotifier>(m_afdSignal[0], QSocketNotifier::Read);
        QObject::connect(m_pSignalNotifier.get(), &QSocketNotifier::activated, &m_context,
                         [this] { OnSignal(); });
    }
}

CRunCommand::~CRunCommand() {
    if (m_afdSignal[0] < 0)
        return;
    sigaction(SIGINT, &m_saOldInt, nullptr);
    sigaction(SIGTERM, &m_saOldTerm, nullptr);
    sigaction(SIGPIPE, &m_saOldPipe, nullptr);
    g_fdSignal = -1;
    m_pSignalNotifier.reset();
    ::close(m_afdSignal[0]);
    ::close(m_afdSignal[1]);
}

int CRunCommand::Execute() {
    CVzrT8100Doc doc;
    if (!CCommandDataFile::Open(m_options.strDataFile, doc, m_err))
        return EXIT_FAILED;
    if (doc.GetExecList().empty()) {
        PrintErr(Tr("データファイル %1 には実行するステップがありません。")
                     .arg(QDir::toNativeSeparators(m_options.strDataFile)));
        return EXIT_FAILED;
    }
    CVzrT8100Cntl cntl; // searches the port table
    if (!cntl.IsConnected()) {
        for (const QString& line : cntl.PortProblems())
            PrintErr(line);
        PrintErr(CIdentifyCommand::NotFoundText());
        return EXIT_FAILED;
    }
    // stopped while the instrument was searched for: nothing was started
    if (const int signal = TakeSignal())
        return ExitOfSignal(signal);

    // the settings of the settings file, the test's time now, as the plan view starts a run
    CTestProperty property;
    property.LoadIni();
    property.m_tmTest = QDateTime::currentSecsSinceEpoch();
    CRunSequencer::Owner& owner = *this;
    auto session = std::make_unique<CRunSession>(cntl, property, &doc.GetExecList(), owner);
    session->SetDocumentTitle(doc.GetTitle());
    session->SetTestPoints(doc.TestPoints());
    session->SetDataFilePath(doc.GetPathName());
    session->SetJudgeAutoForSession(true);
    session->SetRunObserver(this);
    m_pSession = session.get();
    m_pSteps = &doc.GetExecList();
    // an interrupted run is never restored: No is the answer that changes no results
    session->BeginRecord([this](bool ok, const QString& text) {
        const CRunRecord* record = m_pSession ? m_pSession->Record() : nullptr;
        if (!ok)
            PrintErr(Tr("試験記録を書き込めません: %1").arg(text));
        else if (record && !record->MovedFrom().isEmpty())
            PrintErr(Tr("試験記録の保存先が失われました。記録を続けます: %1").arg(text));
        else
            PrintErr(Tr("試験記録: %1").arg(text));
    });
    const CRunRecord* record = session->Record();
    if (record && !record->Path().isEmpty() && !m_options.bQuiet)
        PrintErr(Tr("試験記録: %1").arg(QDir::toNativeSeparators(record->Path())));

    int status = RunPlan();
    if (!WriteReports(doc, *session) && status == EXIT_DONE)
        status = EXIT_FAILED;
    session->Close();
    const QString recordPath = record ? record->Path() : QString();
    m_pSession = nullptr;
    // the record's end writes whatever is still queued: the copy is of the whole file
    session.reset();
    if (!m_options.strResultsCsv.isEmpty() && !CopyRecord(recordPath) && status == EXIT_DONE)
        status = EXIT_FAILED;
    PrintOut(CountsLine(doc.GetExecList()));
    return status;
}

int CRunCommand::RunPlan() {
    CRunSequencer& seq = m_pSession->Sequencer();
    seq.Open();
    seq.StartPolling();
    // START with no row selected: the first step
    seq.OnStart(-1);
    if (m_bStarted && !m_bFinished)
        m_loop.exec();
    ClearProgress();
    if (m_nSignal != 0)
        return ExitOfSignal(m_nSignal);
    if (m_bEnded)
        return EXIT_DONE;
    if (!m_bErrorShown)
        PrintErr(Tr("試験が最後のステップの前に停止しました (Step No. %1)。")
                     .arg(seq.CurrentStep() + 1));
    return EXIT_FAILED;
}

bool CRunCommand::WriteReports(CVzrT8100Doc& doc, CRunSession& session) {
    bool written = true;
    auto write = [&](CRunSession::ReportKind kind, const QString& path) {
        if (path.isEmpty())
            return;
        // the session records a report made, or leaves the results owed
        const CTestReport::Outcome outcome = session.CreateReport(kind, doc.GetSettingList(), path);
        if (outcome.m_nResult == CTestReport::REPORT_MADE) {
            if (!m_options.bQuiet)
                PrintOut(Tr("レポート: %1").arg(QDir::toNativeSeparators(outcome.m_strPath)));
        } else {
            PrintErr(Tr("レポートを作成できません。") + QLatin1Char('\n') + outcome.m_strDetail);
            written = false;
        }
    };
    write(CRunSession::REPORT_WORKBOOK, m_options.strReportOut);
    write(CRunSession::REPORT_PDF, m_options.strPdfOut);
    return written;
}

bool CRunCommand::CopyRecord(const QString& recordPath) {
    const QString target = QDir::toNativeSeparators(m_options.strResultsCsv);
    QFile from(recordPath);
    QSaveFile to(m_options.strResultsCsv);
    if (recordPath.isEmpty() || !from.open(QIODevice::ReadOnly)) {
        PrintErr(Tr("試験記録の写しを書き込めません: %1: 試験記録がありません。").arg(target));
        return false;
    }
    if (!to.open(QIODevice::WriteOnly)) {
        PrintErr(Tr("試験記録の写しを書き込めません: %1: %2").arg(target, to.errorString()));
        return false;
    }
    QByteArray chunk;
    while (!(chunk = from.read(64 * 1024)).isEmpty()) {
        if (to.write(chunk) != chunk.size())
            break;
    }
    if (from.error() != QFileDevice::NoError || !to.commit()) {
        PrintErr(Tr("試験記録の写しを書き込めません: %1: %2")
                     .arg(target, from.error() != QFileDevice::NoError ? from.errorString()
                                                                       : to.errorString()));
        return false;
    }
    return true;
}

void CRunCommand::Finish() {
    m_bFinished = true;
    m_loop.quit();
}

// ---- stop signals ----------------------------------------------------------------------

int CRunCommand::TakeSignal() {
    int first = 0;
    unsigned char byte = 0;
    while (m_afdSignal[0] >= 0 && ::read(m_afdSignal[0], &byte, 1) == 1) {
        if (first == 0)
            first = byte;
    }
    return first;
}

void CRunCommand::OnSignal() {
    const int signal = TakeSignal();
    if (signal == 0 || m_nSignal != 0 || m_bFinished)
        return;
    m_nSignal = signal;
    if (m_pWait) {
        m_pWait->exit(0); // the test point's question: the run stops
        return;
    }
    CRunSequencer& seq = m_pSession->Sequencer();
    if (seq.RunActive())
        seq.OnStop(); // as STOP: back to idle, which ends the loop
    else
        Finish();
}

// ---- test points -----------------------------------------------------------------------

bool CRunCommand::ConfirmTestPoint(int point, const QString& name) {
    const QString text = Tr("テストポイント %1「%2」").arg(point).arg(name);
    if (!m_options.bQuiet)
        PrintOut(text);
    if (!::isatty(STDIN_FILENO)) {
        PrintErr(Tr("%1: 標準入力が端末ではないので、確認を待たずに続けます。").arg(text));
        return true;
    }
    ClearProgress();
    m_err << Tr("%1 へ放電ガンを移動して Enter を押してください: ").arg(text);
    m_err.flush();
    QEventLoop wait;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &wait, [&wait, &input] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return;
        input.setEnabled(false);
        wait.exit(n > 0 ? 1 : 0); // a line, or the end of input
    });
    m_pWait = &wait;
    const bool go = wait.exec() == 1;
    m_pWait = nullptr;
    return go;
}

// ---- CRunSequencer::Owner --------------------------------------------------------------

void CRunCommand::ArmTimer(int id) {
    PrintCompleted();
    if (id < 0 || id >= int(m_timers.size()))
        return;
    m_timers[size_t(id)].start(CRunSequencer::TIMER_PERIOD_MS);
    if (id == CRunSequencer::TIMER_IDLE) {
        // the run is over: ended, stopped or failed
        if (m_bStarted)
            Finish();
    } else if (m_nTrigPending >= 0) {
        QTimer::singleShot(0, &m_context, [this] { PressTrig(); });
    }
}

void CRunCommand::KillTimer(int id) {
    if (id >= 0 && id < int(m_timers.size()))
        m_timers[size_t(id)].stop();
}

void CRunCommand::ApplyRunState(bool) {}

void CRunCommand::ShowTrigLabel(CRunSequencer::TrigLabel) {}

void CRunCommand::ShowProgress(CRunSequencer::ProgressField field, const QString& text) {
    if (field != CRunSequencer::PROGRESS_DONE)
        return;
    bool ok = false;
    const qint64 done = text.toLongLong(&ok);
    m_lDone = ok ? done : 0;
    DrawProgress();
}

void CRunCommand::ShowMessage(const QString& text) {
    PrintCompleted();
    if (std::exchange(m_bEndMessage, false)) {
        if (!m_options.bQuiet)
            PrintOut(text);
        return;
    }
    m_bErrorShown = true;
    PrintErr(text);
}

bool CRunCommand::AskJudgement(qint32&, QString&) {
    return false; // never asked: judge-auto is on for the whole run
}

void CRunCommand::UpdateStepRow(int) {
    PrintCompleted();
}

void CRunCommand::ShowStepRow(int) {
    PrintCompleted();
}

void CRunCommand::ShowJudgeControls() {
    PrintCompleted();
}

void CRunCommand::FocusStop() {}

// ---- CRunSequencer::Observer -----------------------------------------------------------

void CRunCommand::RunStarted(int) {
    m_bStarted = true;
}

void CRunCommand::StepLoaded(int step) {
    m_lDone = 0;
    const CExecData& loaded = *(*m_pSteps)[size_t(step)];
    if (loaded.m_nTrig == TRIG_REMOTE)
        m_nTrigPending = step;
    else if (loaded.m_nTrig == TRIG_GUN && !m_options.bQuiet)
        PrintErr(Tr("Step No.%1: 放電ガンのトリガを引いてください。")
                     .arg(QString::asprintf("%4d", step + 1)));
}

void CRunCommand::DischargeSeen(int) {}

void CRunCommand::StepCompleted(int step) {
    // its line waits for its judgement, which is stored next
    m_nCompleted = step;
}

void CRunCommand::RunStopped(int) {}

void CRunCommand::TrigPressed(int, bool) {}

void CRunCommand::InstrumentError(int, qint32, const QString& text) {
    m_strInstrumentError = text;
}

void CRunCommand::CommunicationError(int) {}

void CRunCommand::TestEnded() {
    m_bEnded = true;
    m_bEndMessage = true;
}

void CRunCommand::PrintCompleted() {
    if (m_nCompleted < 0 || !m_pSteps)
        return;
    const int row = std::exchange(m_nCompleted, -1);
    if (!m_options.bQuiet)
        PrintOut(StepLine(row, *(*m_pSteps)[size_t(row)]));
}

void CRunCommand::PressTrig() {
    const int step = std::exchange(m_nTrigPending, -1);
    if (m_bFinished || !m_pSession)
        return;
    CRunSequencer& seq = m_pSession->Sequencer();
    if (!seq.RunActive() || seq.CurrentStep() != step || seq.TrigOn())
        return;
    m_strInstrumentError.clear();
    seq.OnTrig();
    // TRIG shows no message in the dialog, only its label: the console says what it was
    if (!m_strInstrumentError.isEmpty()) {
        m_bErrorShown = true;
        PrintErr(Tr("Step No.%1: TRIG: %2")
                     .arg(QString::asprintf("%4d", step + 1), m_strInstrumentError));
    }
}

// ---- the console -----------------------------------------------------------------------

void CRunCommand::PrintOut(const QString& line) {
    ClearProgress();
    m_out << line << '\n';
    m_out.flush();
    DrawProgress();
}

void CRunCommand::PrintErr(const QString& line) {
    ClearProgress();
    m_err << line << '\n';
    m_err.flush();
    DrawProgress();
}

void CRunCommand::DrawProgress() {
    // after the last step the sequencer is back on step 1: nothing is left to show
    if (!m_bProgressBar || !m_pSteps || !m_pSession || m_bFinished || m_bEnded)
        return;
    qsizetype width = 0;
    const QString text =
        FitColumns(ProgressText(*m_pSteps, m_pSession->Sequencer().CurrentStep(), m_lDone),
                   TerminalColumns() - 1, width);
    m_err << '\r' << text << QString(qMax<qsizetype>(0, m_nProgressWidth - width), u' ') << '\r';
    m_err.flush();
    m_nProgressWidth = width;
}

void CRunCommand::ClearProgress() {
    if (m_nProgressWidth == 0)
        return;
    m_err << '\r' << QString(m_nProgressWidth, u' ') << '\r';
    m_err.flush();
    m_nProgressWidth = 0;
}
