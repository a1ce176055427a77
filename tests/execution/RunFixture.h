#pragma once
// What the run tests share: the simulated instrument at its real line speed behind a
// pseudo-terminal, plans built the way the plan view builds them, and the instrument's
// command log read as one line that regular expressions can check for exact order.
#include "common/Plans.h"
#include "common/SimulatedInstrument.h"
#include "data/CVzrT8100Doc.h"
#include "link/CVzrT8100Cntl.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTest>

#include <memory>

namespace run {

using simulated::TIME_SCALE;
// Far longer than anything below needs: a run that never ends fails instead of hanging.
constexpr int WAIT_MS = 60000;

struct Instrument {
    std::unique_ptr<CVzrT8100Sim> sim;
    std::unique_ptr<CVzrT8100Cntl> cntl;

    // Starts the simulator and connects a controller to it; false when either failed.
    bool Start() {
        sim = std::make_unique<CVzrT8100Sim>();
        if (!simulated::Start(*sim, true))
            return false;
        cntl = std::make_unique<CVzrT8100Cntl>();
        sim->ClearLog();
        return cntl->IsConnected();
    }

    void Stop() {
        cntl.reset();
        if (sim)
            sim->Stop();
        sim.reset();
        CSerialPortTable::SetExplicitPorts({});
    }

    // The log since the last clear, one text after the other, each followed by a blank.
    QString Log() const { return sim->CommandLog().join(QLatin1Char(' ')) + QLatin1Char(' '); }
};

// A condition of the plan with both polarities, expanded as the plan view expands it.
inline std::unique_ptr<CSettingData> Condition(qint32 mode, qint32 trig, qint32 volt,
                                               qint32 intervalMs, qint32 count,
                                               quint32 pola = POLA_BIT_BOTH) {
    auto cond = std::make_unique<CSettingData>();
    cond->m_nDiscMode = mode;
    cond->m_nTrig = trig;
    cond->m_ulPola = pola;
    cond->m_value.m_nValueType = VALUE_SINGLE;
    cond->m_value.m_lValue = volt;
    cond->m_lInterval = intervalMs;
    cond->m_lCount = count;
    return cond;
}

// A document whose plan is the given conditions, numbered and with its run list rebuilt.
inline std::unique_ptr<CVzrT8100Doc> Plan(std::vector<std::unique_ptr<CSettingData>> conds) {
    auto doc = std::make_unique<CVzrT8100Doc>();
    std::vector<CSettingData> plan;
    for (const auto& cond : conds)
        plan.push_back(*cond);
    plans::SetPlan(*doc, plan);
    return doc;
}

// The plan of the full-run tests: CONTACT by the instrument's own trigger at 4 kV, then
// AIR by the external trigger at 8 kV, each at both polarities: four steps.
inline std::unique_ptr<CVzrT8100Doc> MixedPlan() {
    std::vector<std::unique_ptr<CSettingData>> conds;
    conds.push_back(Condition(DISC_CONTACT, TRIG_VZR, 4000, 1000, 2));
    conds.push_back(Condition(DISC_AIR, TRIG_EXTERNAL, 8000, 1000, 2));
    return Plan(std::move(conds));
}

// The texts SendStep sends for a step, then "CD" and "CA": what starts it.
inline QString Load(const CExecData& step) {
    return QStringLiteral("QA CB PC0 PH%1 PI%2 PG%3 PL%4 PK%5 PJ%6 CD CA ")
        .arg(step.m_nDiscMode)
        .arg(step.m_nTrig)
        .arg(step.m_nPola)
        .arg(step.m_lVolt / 10)
        .arg(step.m_lInterval / 10)
        .arg(step.m_lCount);
}

// One or more polls of a running step, and of the idle dialog.
inline const QString CONTACT_POLLS = QStringLiteral("(?:QD QE QJ QF )+");
inline const QString AIR_POLLS = QStringLiteral("(?:QD QJ QF )+");
inline const QString IDLE_POLLS = QStringLiteral("(?:QD )+");

// Whether the whole log matches the pattern; the log is printed when it does not.
inline bool LogMatches(const QString& log, const QString& pattern) {
    const QRegularExpression re(QStringLiteral("^") + pattern + QStringLiteral("$"));
    const bool match = re.match(log).hasMatch();
    if (!match)
        qWarning("log:     %s\npattern: %s", qPrintable(log), qPrintable(pattern));
    return match;
}

} // namespace run
