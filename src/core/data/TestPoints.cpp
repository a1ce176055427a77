#include "TestPoints.h"

namespace TestPoints {

int PointOf(const CExecData& step, const QStringList& names) {
    return step.m_lTestPointNo >= 1 && step.m_lTestPointNo <= names.size() ? step.m_lTestPointNo
                                                                           : 0;
}

QString NameOf(const QStringList& names, int point) {
    return point >= 1 && point <= names.size() ? names.at(point - 1) : QString();
}

QString Text(int point, const QString& name) {
    if (point <= 0)
        return QString();
    return QStringLiteral("%1 %2").arg(point).arg(name);
}

bool IsBlank(const QString& name) {
    return name.trimmed().isEmpty();
}

} // namespace TestPoints
