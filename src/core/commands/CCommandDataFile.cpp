#include "CCommandDataFile.h"

#include "data/CVzrT8100Doc.h"

#include <QTextStream>

bool CCommandDataFile::Open(const QString& path, CVzrT8100Doc& doc, QTextStream& err) {
    QString errorText;
    if (doc.OpenFile(path, &errorText))
        return true;
    err << errorText << '\n';
    err.flush();
    return false;
}
