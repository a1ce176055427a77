#pragma once

#include "data/CSettingData.h"

#include <QString>

class CVzrT8100Cntl;

// Writes a plan into the instrument's own sequence memory: every condition as a step of
// the sequence, in plan order, then the order of the steps. Used by the plan view's
// button and by the command line.
class CSequenceTransfer {
public:
    CSequenceTransfer() = delete;

    // Condition n (1-based) goes to sequence step n; the first refused write ends the
    // transfer. An empty plan sends nothing and counts as written.
    static bool Send(CVzrT8100Cntl& cntl, const CSettingList& plan);

    // The question before, and the message after a transfer.
    static QString QuestionText();
    static QString ResultText(bool sent);
    // The plan went once, whatever its test points: the sequence memory knows no points.
    // Said after a transfer of a plan with points, before the result.
    static QString PointsNotSentText(qsizetype points);
};
