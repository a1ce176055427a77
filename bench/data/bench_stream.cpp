// Reading a data file from a stream of unknown size (a pipe, `--dump /dev/stdin`): how long
// hostile streams that never end take to be refused and how much memory they cost, against
// the largest plan the program can save read the same way. Prints its figures; not a test.
#include "HostileStream.h"
#include "common/LargestPlan.h"

#include "data/CArchive.h"
#include "data/CVzrT8100Doc.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <malloc.h>

namespace {

// Peak resident memory since the last reset, in MB.
double PeakMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

void ResetPeak() {
    malloc_trim(0);
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

void Measure(const char* name, const QByteArray& prefix, const QByteArray& unit) {
    ResetPeak();
    const double before = PeakMegabytes();
    HostileStream stream(prefix, unit);
    stream.open(QIODevice::ReadOnly);
    QElapsedTimer timer;
    timer.start();
    int result;
    {
        CVzrT8100Doc doc;
        CArchive ar(&stream, CArchive::load);
        result = doc.Serialize(ar);
    }
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    std::printf("%-34s %s  %8.1f ms  %7.1f MB taken  peak RSS %6.1f MB (%.1f before)\n", name,
                result == LOAD_OK ? "read   " : "refused", ms,
                double(stream.Delivered()) / 1048576.0, PeakMegabytes(), before);
    std::fflush(stdout);
}

QByteArray LargestPlan() {
    CVzrT8100Doc doc;
    MakeLargestPlan(doc);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    doc.Serialize(ar);
    ar.Flush();
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::printf("limits: %lld MB taken, %lld MB kept, texts of %lld KB\n",
                static_cast<long long>(CArchive::MAX_STREAM_BYTES >> 20),
                static_cast<long long>(CArchive::MAX_STREAM_HELD_BYTES >> 20),
                static_cast<long long>(CArchive::MAX_STREAM_TEXT_BYTES >> 10));
    const QByteArray head = Hostile::Header() + QByteArray(2, '\0');
    Measure("text claiming 2^31-1 characters",
            QByteArray::fromHex("fffeffffffff") + Hostile::Int32(0x7FFFFFFF), "AB");
    Measure("2^31-1 conditions", head + Hostile::kEmpty + Hostile::Int32(0x7FFFFFFF),
            Hostile::MinimalCondition());
    Measure("600,000 conditions, endless", head + Hostile::kEmpty + Hostile::Int32(600000),
            Hostile::MinimalCondition());
    Measure("1,500,000 steps, endless",
            head + Hostile::kEmpty + Hostile::Int32(0) + Hostile::kEmpty + Hostile::Int32(1500000),
            Hostile::MinimalStep());
    Measure("1,000,000 comments of 1000, endless",
            Hostile::Header() + QByteArray::fromHex("ffff") + Hostile::Int32(1000000),
            QByteArray::fromHex("ffe803") + QByteArray(1000, 'c'));
    const QByteArray largest = LargestPlan();
    std::printf("largest plan the program saves: %.1f MB\n", double(largest.size()) / 1048576.0);
    Measure("largest plan through a pipe", largest, QByteArray());
    return 0;
}
