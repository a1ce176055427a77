#include "CReportOpener.h"

#include "common/CMessageBox.h"
#include "common/CStatusNote.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CReportOpener", text);
}

} // namespace

bool CReportOpener::HandOver(const CTestReport::Outcome& outcome, QWidget* parent) {
    if (outcome.m_nResult != CTestReport::REPORT_MADE) {
        CMessageBox::Ok(outcome.m_strMessage, parent);
        return false;
    }
    Open(outcome.m_strPath, parent);
    return true;
}

bool CReportOpener::Open(const QString& path, QWidget* parent) {
    const QString shown = QDir::toNativeSeparators(path);
    CStatusNote::Show(parent, Tr("レポート: %1").arg(shown));
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return true;
    CMessageBox::Ok(Tr("レポートを作成しました。\n%1\n\n"
                       "このファイルを開くアプリケーションが見つかりません。")
                        .arg(shown),
                    parent);
    return false;
}
