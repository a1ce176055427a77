#include "CDataFileDump.h"

#include "commands/CCommandDataFile.h"
#include "data/CPlanListModel.h"
#include "data/CStepListModel.h"
#include "data/CVzrT8100Doc.h"

#include <QCoreApplication>
#include <QStringConverter>
#include <QStringList>
#include <QTextStream>

namespace {
// Rows through the same functions the list views use.
void WriteModel(const QAbstractItemModel& model, QTextStream& out) {
    const int columns = model.columnCount();
    QStringList cells;
    for (int c = 0; c < columns; ++c)
        cells << model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    out << cells.join(u'\t') << '\n';
    const int rows = model.rowCount();
    for (int r = 0; r < rows; ++r) {
        cells.clear();
        for (int c = 0; c < columns; ++c)
            cells << model.data(model.index(r, c), Qt::DisplayRole).toString();
        out << cells.join(u'\t') << '\n';
    }
}
} // namespace

int CDataFileDump::Run(const QString& path, QTextStream& out, QTextStream& err) {
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    CVzrT8100Doc doc;
    if (!CCommandDataFile::Open(path, doc, err))
        return 1;
    CPlanListModel plan(&doc.GetSettingList());
    WriteModel(plan, out);
    // the test points, when the plan has them, each with its number as the steps show it
    const QStringList& points = doc.TestPoints();
    if (!points.isEmpty()) {
        out << QCoreApplication::translate("CDataFileDump", "No.") << '\t'
            << QCoreApplication::translate("CDataFileDump", "テストポイント") << '\n';
        for (qsizetype i = 0; i < points.size(); ++i)
            out << (i + 1) << '\t' << points.at(i) << '\n';
    }
    CStepListModel steps(&doc.GetExecList(), points);
    WriteModel(steps, out);
    out.flush();
    return 0;
}
