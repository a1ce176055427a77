// libFuzzer target: the data-file reader over arbitrary bytes.
#include "data/CArchive.h"
#include "data/CVzrT8100Doc.h"

#include "PipeLike.h"

#include <QBuffer>
#include <QByteArray>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // From a stream of unknown size (a pipe, standard input), within its limits: a file
    // read that way is either read as from a file or refused.
    int streamed = LOAD_BAD_FORMAT;
    {
        PipeLike pipe(bytes);
        pipe.open(QIODevice::ReadOnly);
        CVzrT8100Doc doc;
        CArchive ar(&pipe, CArchive::load);
        streamed = doc.Serialize(ar);
    }

    QBuffer buf;
    buf.setData(bytes);
    if (!buf.open(QIODevice::ReadOnly))
        return 0;
    CVzrT8100Doc doc;
    CArchive ar(&buf, CArchive::load);
    const int result = doc.Serialize(ar);
    // below the stream's limits a pipe takes exactly what a file takes
    if ((streamed == LOAD_OK) != (result == LOAD_OK) &&
        size < size_t(CArchive::MAX_STREAM_TEXT_BYTES))
        __builtin_trap();
    if (result != LOAD_OK)
        return 0;

    // Whatever was read can be written again.
    {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        CArchive store(&out, CArchive::store);
        doc.Serialize(store);
    }
    // What the views and an edit then do with the plan: texts of every condition, and
    // the expansion of one (editing expands one condition at a time).
    for (auto& setting : doc.GetSettingList()) {
        for (int c = 0; c < 9; ++c)
            setting->GetColumnText(c);
    }
    if (!doc.GetSettingList().empty()) {
        CSettingData& first = *doc.GetSettingList().front();
        first.MakeExecList(first.m_edlList);
    }
    doc.RebuildExecList();
    auto& run = doc.GetExecList();
    for (size_t i = 0; i < std::min<size_t>(run.size(), 64); ++i) {
        for (int c = 0; c < 9; ++c)
            run[i]->GetColumnText(c);
    }
    return 0;
}
