#include "CSendSequenceCommand.h"

#include "commands/CCommandDataFile.h"
#include "commands/CIdentifyCommand.h"
#include "data/CVzrT8100Doc.h"
#include "link/CSequenceTransfer.h"
#include "link/CVzrT8100Cntl.h"

#include <QTextStream>

int CSendSequenceCommand::Run(const QString& dataFile, QTextStream& out, QTextStream& err) {
    CVzrT8100Doc doc;
    if (!CCommandDataFile::Open(dataFile, doc, err))
        return 1;
    CVzrT8100Cntl cntl; // searches the port table
    if (!cntl.IsConnected())
        err << CIdentifyCommand::NotFoundText() << Qt::endl;
    const bool sent = cntl.IsConnected() && CSequenceTransfer::Send(cntl, doc.GetSettingList());
    if (sent && !doc.TestPoints().isEmpty())
        out << CSequenceTransfer::PointsNotSentText(doc.TestPoints().size()) << Qt::endl;
    out << CSequenceTransfer::ResultText(sent) << Qt::endl;
    return sent ? 0 : 1;
}
