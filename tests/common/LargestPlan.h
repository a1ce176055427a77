#pragma once

#include "data/CSettingData.h"
#include "data/CVzrT8100Doc.h"

#include <memory>

// The largest plan the program takes: 22 conditions, each sweeping 0.20 to 30.50 kV by
// 0.01 kV in both polarities, 133,364 steps in the run list.
inline void MakeLargestPlan(CVzrT8100Doc& doc) {
    auto& plan = doc.GetSettingList();
    plan.clear();
    for (int i = 0; i < CVzrT8100Doc::kMaxSettings; ++i) {
        auto s = std::make_unique<CSettingData>();
        s->m_value.m_nValueType = VALUE_SWEEP;
        s->m_value.m_lStart = 200;
        s->m_value.m_lEnd = 30500;
        s->m_value.m_lStep = 10;
        s->m_ulPola = POLA_BIT_BOTH;
        s->SetTestNo(i);
        s->MakeExecList(s->m_edlList);
        plan.push_back(std::move(s));
    }
    doc.RebuildExecList();
}
