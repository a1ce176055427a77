#include "CExcelError.h"

namespace {
QString Compose(const QString& operation, const QString& where, const QString& reason) {
    QString text = operation;
    if (!where.isEmpty())
        text += QStringLiteral(" (") + where + QLatin1Char(')');
    return text + QStringLiteral(": ") + reason;
}
} // namespace

CExcelError::CExcelError(const QString& operation, const QString& where, const QString& reason)
    : std::runtime_error(Compose(operation, where, reason).toStdString()),
      m_strOperation(operation), m_strWhere(where), m_strReason(reason) {}

QString CExcelError::Text() const {
    return Compose(m_strOperation, m_strWhere, m_strReason);
}
