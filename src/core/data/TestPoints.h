#pragma once

#include "data/CExecData.h"

#include <QString>
#include <QStringList>

// The test points of a plan: the places of the unit under test that take the plan's
// discharges one after the other (a connector, a button, a seam, the coupling planes). A
// plan keeps them as an ordered list of names, and every step of its run list carries its
// point's 1-based number (0 without points).
namespace TestPoints {

// The most points the test-point dialog takes.
inline constexpr int kMaxPoints = 100;

// The 1-based point of a step, 0 when names holds none of that number (a plan without
// points, or a run list read from a file that numbers points the plan does not name).
int PointOf(const CExecData& step, const QStringList& names);
// The name of a 1-based point; empty for none.
QString NameOf(const QStringList& names, int point);
// A point as the lists show it, "2 電源ボタン"; empty for point 0.
QString Text(int point, const QString& name);
// A name that holds nothing but blanks names no point.
bool IsBlank(const QString& name);

} // namespace TestPoints
