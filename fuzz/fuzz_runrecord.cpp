// libFuzzer target: the run record's reader over arbitrary bytes.
#include "data/CExecData.h"
#include "execution/CRunRecordReader.h"

#include "PipeLike.h"

#include <QBuffer>
#include <QByteArray>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// A run list of four steps, as a small plan expands.
CExecList FourSteps() {
    CExecList steps;
    for (int i = 0; i < 4; ++i) {
        auto step = std::make_unique<CExecData>();
        step->m_nPola = i % 2;
        step->m_lVolt = 4000 + 1000 * (i / 2);
        steps.push_back(std::move(step));
    }
    return steps;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return 0;
    CRunRecordReader reader;
    const CRunRecordReader::Status status = reader.Read(buffer);

    // a pipe reads exactly what a file reads, however the bytes arrive
    PipeLike pipe(bytes);
    pipe.open(QIODevice::ReadOnly);
    CRunRecordReader streamed;
    if (streamed.Read(pipe) != status || streamed.EventCount() != reader.EventCount() ||
        streamed.StoppedAtLine() != reader.StoppedAtLine() ||
        streamed.TornLine() != reader.TornLine() ||
        streamed.LastLineRead() != reader.LastLineRead() || streamed.Start() != reader.Start())
        __builtin_trap();

    // the header alone says the same about the record
    QBuffer again;
    again.setData(bytes);
    again.open(QIODevice::ReadOnly);
    CRunRecordReader header;
    if ((header.Read(again, true) == CRunRecordReader::READ_OK) !=
        (status == CRunRecordReader::READ_OK))
        __builtin_trap();
    if (status != CRunRecordReader::READ_OK)
        return 0;

    // what the dialog and the commands then ask of it
    if (reader.JudgedCount() > reader.StepCount())
        __builtin_trap();
    for (qint64 i = 0; i < std::min<qint64>(reader.StepCount(), 64); ++i) {
        const qint32 judge = reader.JudgeOf(i);
        if (judge < JUDGE_NONE || judge > JUDGE_D)
            __builtin_trap();
        reader.CommentOf(i);
    }
    reader.HasResults();
    reader.LastEventTime();
    reader.DamageText();
    CExecList steps = FourSteps();
    if (reader.Matches(steps, reader.TestPoints())) {
        reader.ApplyTo(steps);
        if (!reader.SameResults(steps))
            __builtin_trap();
    }
    return 0;
}
