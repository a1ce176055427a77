#pragma once
// Plans the tests run, report and edit, built as the plan view builds them: each condition
// numbered by its position and expanded into its steps, the run list rebuilt from them.
#include "data/CSettingData.h"
#include "data/CVzrT8100Doc.h"

#include <memory>
#include <vector>

namespace plans {

// A default condition changed by set.
template <class F> CSettingData Cond(F set) {
    CSettingData s;
    set(s);
    return s;
}

// A sweep from start to end (V) by step, in the polarities pola.
inline CSettingData Sweep(qint32 start, qint32 end, qint32 step, quint32 pola = POLA_BIT_BOTH) {
    return Cond([&](CSettingData& s) {
        s.m_value.m_nValueType = VALUE_SWEEP;
        s.m_value.m_lStart = start;
        s.m_value.m_lEnd = end;
        s.m_value.m_lStep = step;
        s.m_ulPola = pola;
    });
}

// doc's plan becomes conds.
inline void SetPlan(CVzrT8100Doc& doc, const std::vector<CSettingData>& conds) {
    auto& plan = doc.GetSettingList();
    plan.clear();
    for (const CSettingData& cond : conds) {
        auto s = std::make_unique<CSettingData>(cond);
        s->SetTestNo(qint32(plan.size()));
        s->MakeExecList(s->m_edlList);
        plan.push_back(std::move(s));
    }
    doc.RebuildExecList();
}

// n default conditions in the polarities pola, told apart by their count (100, 101, ...).
inline void SetCountedPlan(CVzrT8100Doc& doc, int n, quint32 pola = POLA_BIT_PLUS) {
    std::vector<CSettingData> conds;
    for (int i = 0; i < n; ++i)
        conds.push_back(Cond([&](CSettingData& s) {
            s.m_lCount = 100 + i;
            s.m_ulPola = pola;
        }));
    SetPlan(doc, conds);
}

// The counts of doc's plan in order, minus 100: the conditions' places in a counted plan.
inline QList<int> CountedOrder(const CVzrT8100Doc& doc) {
    QList<int> order;
    for (const auto& s : doc.GetSettingList())
        order << s->m_lCount - 100;
    return order;
}

} // namespace plans
