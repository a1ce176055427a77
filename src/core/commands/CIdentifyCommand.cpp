#include "CIdentifyCommand.h"

#include "link/CVzrT8100Cntl.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CIdentifyCommand", text);
}

} // namespace

QString CIdentifyCommand::NotFoundText() {
    return Tr("VZR-T8100が見つかりませんでした。電源や通信ケーブルの接続状態を確認してください。");
}

int CIdentifyCommand::Run(QTextStream& out, QTextStream& err) {
    CVzrT8100Cntl cntl; // searches the port table
    if (!cntl.IsConnected()) {
        // the ports that could not even be opened, and why
        for (const QString& line : cntl.PortProblems())
            err << line << Qt::endl;
        err << NotFoundText() << Qt::endl;
        return 1;
    }
    QString reply;
    const bool identified = cntl.Identify(reply);
    out << Tr("ポート: %1").arg(cntl.GetProtocol().GetPort().PortPath()) << Qt::endl;
    out << Tr("応答: %1").arg(reply) << Qt::endl;
    if (!identified) {
        err << Tr("VZR-T8100が応答しなくなりました。") << Qt::endl;
        return 1;
    }
    return 0;
}
