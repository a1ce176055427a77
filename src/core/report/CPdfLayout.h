#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QLineF>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QTextLayout;

// Lays a printed report out on A4 portrait pages: a running title at the head of every page
// and "n / N" at its foot, and in between paragraphs and tables one after the other. A
// table flows over as many pages as it needs with its heading row repeated on each; a
// cell's text wraps within its column, never into the next, and a row taller than what is
// left of a page goes on on the next one.
//
// A report makes the same calls twice: first without a painter, which only counts the pages
// (every decision depends on the texts and the fonts alone), then painting with that count,
// so that "n / N" is known on the first page. Lengths are in millimetres.
class CPdfLayout {
public:
    enum Style {
        BODY,    // table cells and paragraphs
        BOLD,    // headings of the tables, labels
        SECTION, // a section's heading
        TITLE,   // the report's title
        SMALL,   // the running title and the page numbers
    };
    struct Column {
        double width = 0; // mm
        Qt::Alignment align = Qt::AlignLeft;
    };

    static constexpr double kPageWidth = 210;
    static constexpr double kPageHeight = 297;
    static constexpr double kMarginLeft = 15;
    static constexpr double kMarginRight = 15;
    static constexpr double kContentWidth = kPageWidth - kMarginLeft - kMarginRight;
    static constexpr double kCellPadding = 0.6;

    // painter null: measures only. pageCount: the total shown in "n / N". runningTitle: the
    // title at the head of every page.
    CPdfLayout(QPagedPaintDevice& device, QPainter* painter, int pageCount,
               const QString& runningTitle);
    ~CPdfLayout();
    CPdfLayout(const CPdfLayout&) = delete;
    CPdfLayout& operator=(const CPdfLayout&) = delete;

    // Called as each painted page is complete, before the next begins and after the last
    // (a full disk stops the report there by throwing).
    void SetPageCheck(std::function<void()> check) { m_check = std::move(check); }

    // How wide a text is on one line, in mm.
    double NaturalWidth(Style style, const QString& text) const;

    // A paragraph over the width of the page.
    void Paragraph(const QString& text, Style style, Qt::Alignment align = Qt::AlignLeft);
    void Space(double mm);
    // A new page unless this much is still free on this one.
    void KeepSpace(double mm);
    void NewPage();

    // A table of these columns; a heading row (none when headings is empty) opens it and
    // every page it goes on to.
    void BeginTable(const std::vector<Column>& columns, const QStringList& headings);
    // One row of texts, one per column; fills, when given, a background per cell (an
    // invalid colour: none); minHeight in mm.
    void Row(const QString* texts, const QColor* fills = nullptr, double minHeight = 0);
    void EndTable();

    // Completes the last page.
    void Finish();
    int Pages() const { return m_nPage; }

private:
    struct Laid;
    struct TableColumn;
    struct Table;

    double Mm(double mm) const { return mm * m_dUnitsPerMm; }
    const QFont& Font(Style style) const;
    std::shared_ptr<Laid> Lay(const QString& text, Style style, double width,
                              Qt::Alignment align) const;
    const Laid& LayCell(int column, const QString& text);
    void StartPage();
    void EndPage();
    void OpenSegment();
    void CloseSegment();
    void PaintHeadingRow();
    // Paints lines [from, to) of each cell in a band of the given height at m_y.
    void PaintBand(const std::vector<const Laid*>& cells, const std::vector<int>& from,
                   const std::vector<int>& to, const QColor* fills, double height);
    double FreshCapacity() const;

    QPagedPaintDevice& m_device;
    QPainter* m_painter;
    int m_nPageCount;
    double m_dUnitsPerMm;
    QFont m_fonts[SMALL + 1];
    QString m_strRunningTitle;
    std::function<void()> m_check;

    int m_nPage = 0;
    double m_dTop = 0;     // where the content of a page begins (device units)
    double m_dBottom = 0;  // where it ends
    double m_y = 0;        // the next free place
    QList<QLineF> m_lines; // the table rules of this page, drawn as it ends
    std::unique_ptr<Table> m_table;
};
