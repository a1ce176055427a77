// The run record: reading large and hostile records (target: within 1 s and 200 MB each),
// the cost of one event line written, and what the record costs the run on a medium that
// takes 500 ms per flush (a child with bench_slowflush preloaded; target: under 5 ms a
// tick). Each record is written to a file first; a child process reads it, so its peak
// memory is the reader's alone. Prints its figures; it is not a test. Usage:
// bench_runrecord [FOLDER] (default: a temporary folder; the folder's disk is the one the
// line figures are about).
#include "execution/CRunRecord.h"
#include "execution/CRunRecordReader.h"
#include "execution/RunRecordFormat.h"
#include "settings/CTestProperty.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int STEPS = 440000; // the largest run list the plan view can make

CExecList RunList() {
    CExecList steps;
    steps.reserve(STEPS);
    for (int i = 0; i < STEPS; ++i) {
        auto step = std::make_unique<CExecData>();
        step->m_nPola = i % 2;
        step->m_lVolt = 200 + 10 * (i / 2 % 3000);
        steps.push_back(std::move(step));
    }
    return steps;
}

// A record of the run list: its header, then lines from the generator until it returns
// false; written in blocks, never held whole.
QString WriteRecord(const QString& folder, const char* name, const QByteArray& header,
                    const std::function<bool(qint64, QByteArray&)>& line) {
    const QString path = folder + QLatin1Char('/') + QLatin1String(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(header);
    QByteArray block;
    for (qint64 i = 0;; ++i) {
        if (!line(i, block))
            break;
        if (block.size() > (1 << 20)) {
            file.write(block);
            block.clear();
        }
    }
    file.write(block);
    return path;
}

QByteArray JudgeLine(qint64 i, const QByteArray& comment) {
    QByteArray line = "2026/12/08 10:00:00.000,JUDGE," + QByteArray::number(i % STEPS + 1) +
                      ",CONTACT,IEC LEVEL X,GUN,+,4.00,0.05,10," + (i % 2 ? "B" : "A") + ",";
    RunRecordFormat::AppendField(line, comment);
    return line + ",確定,\r\n";
}

// Reads the record in a child process: its time and its peak memory.
void Measure(const char* what, const QString& path) {
    const qint64 size = QFileInfo(path).size();
    int pipefd[2];
    if (::pipe(pipefd) != 0)
        return;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipefd[0]);
        QElapsedTimer timer;
        timer.start();
        CRunRecordReader reader;
        const int status = reader.Read(path);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        char text[512];
        const int n = std::snprintf(
            text, sizeof text, "status %d, %lld events, stopped at line %lld, %lld judged, %.1f ms",
            status, static_cast<long long>(reader.EventCount()),
            static_cast<long long>(reader.StoppedAtLine()),
            static_cast<long long>(reader.JudgedCount()), ms);
        if (::write(pipefd[1], text, size_t(n)) != n)
            ::_exit(1);
        ::_exit(0);
    }
    ::close(pipefd[1]);
    char text[512] = {};
    const ssize_t n = ::read(pipefd[0], text, sizeof text - 1);
    ::close(pipefd[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    std::printf("%-40s %7.1f MB   %s   peak %.1f MB\n", what, double(size) / 1e6,
                n > 0 ? text : "(failed)", double(usage.ru_maxrss) / 1024.0);
    QFile::remove(path);
}

double Ms(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

CExecList FewSteps() {
    CExecList steps;
    for (int i = 0; i < 4; ++i)
        steps.push_back(std::make_unique<CExecData>());
    return steps;
}

CRunRecord::Header HeaderIn(const QString& folder, const char* name) {
    CRunRecord::Header h;
    h.strDataFile = folder + QLatin1Char('/') + QLatin1String(name);
    return h;
}

void Remove(const QString& record) {
    QFile::remove(record);
    QDir().rmdir(QFileInfo(record).path());
}

// The child on the slow medium: a run's ticks, each writing two lines (a step complete and
// its automatic judgement) every 20 ms, timed on the thread that writes them.
int SlowMedium(const QString& folder) {
    using Count = long (*)();
    const auto flushes = reinterpret_cast<Count>(::dlsym(RTLD_DEFAULT, "bench_slow_flushes"));
    if (!flushes) {
        std::printf("the slow medium is not preloaded\n");
        return 1;
    }
    constexpr int TICKS = 250;
    const CExecList steps = FewSteps();
    QElapsedTimer timer;
    timer.start();
    auto record = std::make_unique<CRunRecord>(steps);
    record->Begin(HeaderIn(folder, "Slow.vzt"), CTestProperty());
    const double begin = Ms(timer);
    const QString path = record->Path();
    std::vector<double> ticks;
    for (int i = 0; i < TICKS; ++i) {
        timer.restart();
        record->StepCompleted(i % 4);
        record->Judged(i % 4, CRunSequencer::JUDGED_AUTO);
        ticks.push_back(Ms(timer));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const long during = flushes();
    timer.restart();
    record.reset();
    const double close = Ms(timer);
    std::sort(ticks.begin(), ticks.end());
    std::printf("%-40s median %.3f ms, 99%% %.3f ms, max %.3f ms a tick (%d ticks of two "
                "lines, %ld flushes behind them)\n",
                "ticks on a 500 ms-per-flush medium", ticks[TICKS / 2], ticks[TICKS * 99 / 100],
                ticks.back(), TICKS, during);
    std::printf("%-40s %.1f ms\n", "  the record begun (header, folder)", begin);
    std::printf("%-40s %.1f ms (waits for the last flush)\n", "  the record ended", close);
    // what each line cost when the run waited for its flush
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND);
    timer.restart();
    if (fd >= 0 && ::write(fd, "\r\n", 2) == 2)
        ::fdatasync(fd);
    std::printf("%-40s %.1f ms\n", "  one line flushed before going on", Ms(timer));
    if (fd >= 0)
        ::close(fd);
    Remove(path);
    return 0;
}

// A million events through the writer in a child process: its time, the record's size and
// what the child's peak memory grew by (the record kept whole, packed, for a lost medium).
void MillionEvents(const QString& folder) {
    std::fflush(stdout);
    const pid_t pid = ::fork();
    if (pid != 0) {
        ::waitpid(pid, nullptr, 0);
        return;
    }
    const CExecList steps = FewSteps();
    rusage before{}, after{};
    ::getrusage(RUSAGE_SELF, &before);
    QElapsedTimer timer;
    timer.start();
    auto record = std::make_unique<CRunRecord>(steps);
    record->Begin(HeaderIn(folder, "Million.vzt"), CTestProperty());
    for (int i = 0; i < 1000000; ++i)
        record->DischargeSeen(i % 4);
    const double ms = Ms(timer);
    ::getrusage(RUSAGE_SELF, &after);
    const QString path = record->Path();
    record.reset();
    std::printf("%-40s %.0f ms, %.1f MB of record, peak memory +%.1f MB\n",
                "a million events written", ms, double(QFileInfo(path).size()) / 1e6,
                double(after.ru_maxrss - before.ru_maxrss) / 1024.0);
    std::fflush(stdout);
    Remove(path);
    ::_exit(0);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc > 2 && qstrcmp(argv[1], "--slow-medium") == 0)
        return SlowMedium(QString::fromLocal8Bit(argv[2]));
    QTemporaryDir temp;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temp.path();

    // the header the program writes for the largest run list
    const CExecList steps = RunList();
    QByteArray header;
    {
        CRunRecord record(steps);
        CRunRecord::Header h;
        h.strDataFile = folder + QStringLiteral("/Bench.vzt");
        h.strTitle = QStringLiteral("Bench.vzt");
        record.Begin(h, CTestProperty());
        QFile file(record.Path());
        file.open(QIODevice::ReadOnly);
        header = file.readAll();
        QFile::remove(record.Path());
        QDir().rmdir(QFileInfo(record.Path()).path());
    }

    Measure("a million judgements with comments",
            WriteRecord(folder, "million.csv", header, [](qint64 i, QByteArray& out) {
                out += JudgeLine(i, "コメント " + QByteArray::number(i));
                return i < 999999;
            }));
    Measure("a judgement of every step, each loaded, seen, completed",
            WriteRecord(folder, "day.csv", header, [](qint64 i, QByteArray& out) {
                const QByteArray step = QByteArray::number(i / 4 + 1);
                static const char* const events[] = {"LOAD", "DISCHARGE", "COMPLETE"};
                if (i % 4 < 3)
                    out += "2026/12/08 10:00:00.000," + QByteArray(events[i % 4]) + "," + step +
                           ",CONTACT,IEC LEVEL X,GUN,+,4.00,0.05,10,,,,\r\n";
                else
                    out += JudgeLine(i / 4, QByteArray());
                return i < qint64(STEPS) * 4 - 1;
            }));
    Measure("valid lines beyond the size limit",
            WriteRecord(folder, "huge.csv", header, [](qint64 i, QByteArray& out) {
                out += JudgeLine(i, QByteArray(200, 'x'));
                return i < 1400000;
            }));
    Measure("a million 判定全変更",
            WriteRecord(folder, "all.csv", header, [](qint64 i, QByteArray& out) {
                out += "2026/12/08 10:00:00.000,JUDGE_ALL,,,,,,,,,B,,判定全変更,\r\n";
                return i < 999999;
            }));
    Measure("comments up to the kept-text limit",
            WriteRecord(folder, "comments.csv", header, [](qint64 i, QByteArray& out) {
                out += JudgeLine(i, QByteArray(100000, char('a' + i % 26)));
                return i < 2000;
            }));
    Measure("one line of 200 MB",
            WriteRecord(folder, "line.csv", header, [](qint64 i, QByteArray& out) {
                out += QByteArray(1 << 20, 'y');
                return i < 200;
            }));
    Measure("invalid UTF-8 after a million lines",
            WriteRecord(folder, "utf8.csv", header, [](qint64 i, QByteArray& out) {
                out += i < 1000000 ? JudgeLine(i, "ok") : JudgeLine(i, "\xC3\x28");
                return i < 1000000;
            }));

    // one event written, as during a run (flushed behind it)
    {
        const CExecList few = FewSteps();
        auto record = std::make_unique<CRunRecord>(few);
        record->Begin(HeaderIn(folder, "Flush.vzt"), CTestProperty());
        constexpr int EVENTS = 500;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < EVENTS; ++i)
            record->DischargeSeen(0);
        std::printf("%-40s %7.3f ms per line (%d lines in %s)\n", "event written",
                    Ms(timer) / EVENTS, EVENTS, qPrintable(QDir::toNativeSeparators(folder)));
        const QString path = record->Path();
        timer.restart();
        record.reset();
        std::printf("%-40s %7.3f ms\n", "  the record ended (last flush)", Ms(timer));
        Remove(path);
    }
    MillionEvents(folder);

    // the same run's record on a slow medium, in a child with the slow flush preloaded
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(BENCH_SLOW_FLUSH));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    std::fflush(stdout);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--slow-medium"), folder});
    child.waitForFinished(-1);
    return 0;
}
