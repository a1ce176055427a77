// libFuzzer target: the data-file reader over arbitrary bytes.
#include "data/CArchive.h"
#include "data/CVzrT8100Doc.h"

#include <QBuffer>
#include <QByteArray>

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QBuffer buf;
    buf.setData(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (!buf.open(QIODevice::ReadOnly))
        return 0;
    CVzrT8100Doc doc;
    CArchive ar(&buf, CArchive::load);
    if (doc.Serialize(ar) != LOAD_OK)
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
