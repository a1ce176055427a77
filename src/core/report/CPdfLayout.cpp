#include "CPdfLayout.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

namespace {

// Where the parts of a page are, in mm from its top edge.
constexpr double kRunningTitleTop = 10;
constexpr double kContentBottom = CPdfLayout::kPageHeight - 16;
constexpr double kPageNumberTop = CPdfLayout::kPageHeight - 12;
constexpr double kRuleWidth = 0.15;
// A column keeps this many texts laid out; steps repeat theirs from row to row.
constexpr qsizetype kCachedTexts = 2048;

const QColor kHeadingFill(0xe6, 0xe6, 0xe6);

// Line ends become line breaks; other control characters, which no font draws, blanks.
QString Printable(const QString& text) {
    QString out;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.unicode() >= 0x20 || c == QLatin1Char('\t')) {
            if (!out.isNull())
                out.append(c);
            continue;
        }
        if (out.isNull())
            out = text.left(i);
        if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        out.append(c == QLatin1Char('\r') || c == QLatin1Char('\n') ? QChar(QChar::LineSeparator)
                                                                    : QChar(QLatin1Char(' ')));
    }
    return out.isNull() ? text : out;
}

} // namespace

// A text laid out in lines of one width: each line's top, and the end of the last.
struct CPdfLayout::Laid {
    Laid(const QString& text, const QFont& font, const QPaintDevice* device)
        : layout(Printable(text), font, device) {}
    int Lines() const { return int(tops.size()) - 1; }
    // The height of lines [from, to).
    double Height(int from, int to) const { return tops[size_t(to)] - tops[size_t(from)]; }

    QTextLayout layout;
    std::vector<double> tops;
};

struct CPdfLayout::TableColumn {
    double x = 0;
    double width = 0;
    Qt::Alignment align;
    QHash<QString, std::shared_ptr<Laid>> cache;
    std::shared_ptr<Laid> heading;
};

struct CPdfLayout::Table {
    std::vector<TableColumn> columns;
    bool hasHeading = false;
    double headingHeight = 0;
    double left = 0;
    double right = 0;
    bool segmentOpen = false; // the part of the table on this page
    double segmentTop = 0;
    bool rowsOnPage = false;
    std::vector<const Laid*> cells;
    std::vector<int> from;
    std::vector<int> to;
};

CPdfLayout::CPdfLayout(QPagedPaintDevice& device, QPainter* painter, int pageCount,
                       const QString& runningTitle)
    : m_device(device), m_painter(painter), m_nPageCount(pageCount),
      m_dUnitsPerMm(device.logicalDpiY() / 25.4), m_strRunningTitle(runningTitle) {
    // IPA's proportional Gothic draws Japanese and Latin alike; the fixed-width one stands
    // in where it is missing
    const struct {
        double points;
        bool bold;
    } styles[] = {{8, false}, {8, true}, {11, true}, {16, true}, {7, false}};
    for (int i = 0; i <= SMALL; ++i) {
        QFont font;
        font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
        font.setStyleHint(QFont::SansSerif);
        font.setPointSizeF(styles[i].points);
        font.setBold(styles[i].bold);
        font.setHintingPreference(QFont::PreferNoHinting);
        m_fonts[i] = font;
    }
    const double titleHeight = QFontMetricsF(m_fonts[SMALL], &m_device).height();
    m_dTop = Mm(kRunningTitleTop) + titleHeight + Mm(3);
    m_dBottom = Mm(kContentBottom);
    if (m_painter)
        m_painter->setPen(QPen(Qt::black, Mm(kRuleWidth)));
    StartPage();
}

CPdfLayout::~CPdfLayout() = default;

const QFont& CPdfLayout::Font(Style style) const {
    return m_fonts[style];
}

double CPdfLayout::NaturalWidth(Style style, const QString& text) const {
    return QFontMetricsF(Font(style), &m_device).horizontalAdvance(Printable(text)) / m_dUnitsPerMm;
}

std::shared_ptr<CPdfLayout::Laid> CPdfLayout::Lay(const QString& text, Style style, double width,
                                                  Qt::Alignment align) const {
    auto laid = std::make_shared<Laid>(text, Font(style), &m_device);
    QTextOption option(align);
    // words stay whole where they can; a word longer than the line breaks anywhere
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    laid->layout.setTextOption(option);
    laid->layout.setCacheEnabled(true);
    laid->layout.beginLayout();
    double y = 0;
    laid->tops.push_back(0);
    for (;;) {
        QTextLine line = laid->layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
        laid->tops.push_back(y);
    }
    laid->layout.endLayout();
    if (laid->tops.size() == 1) // no text: one empty line all the same
        laid->tops.push_back(QFontMetricsF(Font(style), &m_device).height());
    return laid;
}

// ---- pages -----------------------------------------------------------------------------

void CPdfLayout::StartPage() {
    ++m_nPage;
    m_y = m_dTop;
    if (m_painter) {
        const QFontMetricsF metrics(Font(SMALL), &m_device);
        const QString title =
            metrics.elidedText(Printable(m_strRunningTitle), Qt::ElideRight, Mm(kContentWidth));
        const auto laid = Lay(title, SMALL, Mm(kContentWidth), Qt::AlignLeft);
        laid->layout.lineAt(0).draw(m_painter, QPointF(Mm(kMarginLeft), Mm(kRunningTitleTop)));
        const double rule = Mm(kRunningTitleTop) + laid->Height(0, 1) + Mm(1);
        m_lines.append(QLineF(Mm(kMarginLeft), rule, Mm(kPageWidth - kMarginRight), rule));
    }
    if (m_table)
        OpenSegment();
}

// A table's rows on this page begin here: their top rule, then the headings.
void CPdfLayout::OpenSegment() {
    m_table->segmentOpen = true;
    m_table->segmentTop = m_y;
    m_table->rowsOnPage = false;
    if (m_painter)
        m_lines.append(QLineF(m_table->left, m_y, m_table->right, m_y));
    if (m_table->hasHeading)
        PaintHeadingRow();
}

void CPdfLayout::EndPage() {
    CloseSegment();
    if (!m_painter)
        return;
    m_painter->drawLines(m_lines);
    m_lines.clear();
    const auto number = Lay(QStringLiteral("%1 / %2").arg(m_nPage).arg(m_nPageCount), SMALL,
                            Mm(kContentWidth), Qt::AlignHCenter);
    number->layout.lineAt(0).draw(m_painter, QPointF(Mm(kMarginLeft), Mm(kPageNumberTop)));
    if (m_check)
        m_check();
}

void CPdfLayout::NewPage() {
    EndPage();
    if (m_painter)
        m_device.newPage();
    StartPage();
}

void CPdfLayout::Finish() {
    EndPage();
}

void CPdfLayout::KeepSpace(double mm) {
    if (m_y > m_dTop && m_y + Mm(mm) > m_dBottom)
        NewPage();
}

void CPdfLayout::Space(double mm) {
    m_y = std::min(m_y + Mm(mm), m_dBottom);
}

void CPdfLayout::Paragraph(const QString& text, Style style, Qt::Alignment align) {
    const auto laid = Lay(text, style, Mm(kContentWidth), align);
    for (int i = 0; i < laid->Lines(); ++i) {
        const double height = laid->Height(i, i + 1);
        if (m_y > m_dTop && m_y + height > m_dBottom)
            NewPage();
        if (m_painter && i < laid->layout.lineCount())
            laid->layout.lineAt(i).draw(m_painter,
                                        QPointF(Mm(kMarginLeft), m_y - laid->tops[size_t(i)]));
        m_y += height;
    }
}

// ---- tables ----------------------------------------------------------------------------

double CPdfLayout::FreshCapacity() const {
    return m_dBottom - m_dTop - (m_table ? m_table->headingHeight : 0);
}

void CPdfLayout::BeginTable(const std::vector<Column>& columns, const QStringList& headings) {
    auto table = std::make_unique<Table>();
    table->left = Mm(kMarginLeft);
    double x = table->left;
    for (qsizetype c = 0; c < qsizetype(columns.size()); ++c) {
        TableColumn column;
        column.x = x;
        column.width = Mm(columns[size_t(c)].width);
        column.align = columns[size_t(c)].align;
        x += column.width;
        if (!headings.isEmpty()) {
            column.heading =
                Lay(headings.value(c), BOLD, column.width - Mm(2 * kCellPadding), Qt::AlignHCenter);
            table->headingHeight =
                std::max(table->headingHeight, column.heading->Height(0, column.heading->Lines()));
        }
        table->columns.push_back(std::move(column));
    }
    table->right = x;
    table->hasHeading = !headings.isEmpty();
    if (table->hasHeading)
        table->headingHeight += Mm(2 * kCellPadding);
    table->cells.resize(columns.size());
    table->from.resize(columns.size());
    table->to.resize(columns.size());

    // the heading row never stays alone at the foot of a page
    const double bodyLine = QFontMetricsF(Font(BODY), &m_device).height() + Mm(2 * kCellPadding);
    if (m_y > m_dTop && m_y + table->headingHeight + bodyLine > m_dBottom)
        NewPage();
    m_table = std::move(table);
    OpenSegment();
}

void CPdfLayout::PaintHeadingRow() {
    Table& t = *m_table;
    const size_t n = t.columns.size();
    std::vector<const Laid*> cells(n);
    std::vector<int> from(n, 0), to(n);
    std::vector<QColor> fills(n, kHeadingFill);
    for (size_t c = 0; c < n; ++c) {
        cells[c] = t.columns[c].heading.get();
        to[c] = cells[c]->Lines();
    }
    PaintBand(cells, from, to, fills.data(), t.headingHeight);
    m_y += t.headingHeight;
}

void CPdfLayout::CloseSegment() {
    if (!m_table || !m_table->segmentOpen)
        return;
    m_table->segmentOpen = false;
    if (!m_painter)
        return;
    for (const TableColumn& column : m_table->columns)
        m_lines.append(QLineF(column.x, m_table->segmentTop, column.x, m_y));
    m_lines.append(QLineF(m_table->right, m_table->segmentTop, m_table->right, m_y));
}

void CPdfLayout::EndTable() {
    CloseSegment();
    m_table.reset();
}

const CPdfLayout::Laid& CPdfLayout::LayCell(int column, const QString& text) {
    TableColumn& c = m_table->columns[size_t(column)];
    std::shared_ptr<Laid>& laid = c.cache[text];
    if (!laid)
        laid = Lay(text, BODY, c.width - Mm(2 * kCellPadding), c.align);
    return *laid;
}

void CPdfLayout::PaintBand(const std::vector<const Laid*>& cells, const std::vector<int>& from,
                           const std::vector<int>& to, const QColor* fills, double height) {
    if (m_painter) {
        const double pad = Mm(kCellPadding);
        for (size_t c = 0; c < cells.size(); ++c) {
            const TableColumn& column = m_table->columns[c];
            if (fills && fills[c].isValid())
                m_painter->fillRect(QRectF(column.x, m_y, column.width, height), fills[c]);
            const Laid& laid = *cells[c];
            const QPointF origin(column.x + pad, m_y + pad - laid.tops[size_t(from[c])]);
            for (int i = from[c]; i < to[c] && i < laid.layout.lineCount(); ++i)
                laid.layout.lineAt(i).draw(m_painter, origin);
        }
        m_lines.append(QLineF(m_table->left, m_y + height, m_table->right, m_y + height));
    }
}

void CPdfLayout::Row(const QString* texts, const QColor* fills, double minHeight) {
    Table& t = *m_table;
    const size_t n = t.columns.size();
    for (size_t c = 0; c < n; ++c) {
        if (t.columns[c].cache.size() > kCachedTexts)
            t.columns[c].cache.clear(); // before any text of this row is laid out
    }
    for (size_t c = 0; c < n; ++c) {
        t.cells[c] = &LayCell(int(c), texts[c]);
        t.from[c] = 0;
    }
    const double pad = Mm(kCellPadding);
    double least = Mm(minHeight);
    for (;;) {
        double rest = 0;
        for (size_t c = 0; c < n; ++c)
            rest = std::max(rest, t.cells[c]->Height(t.from[c], t.cells[c]->Lines()));
        const double need = std::max(rest + 2 * pad, least);
        const double avail = m_dBottom - m_y;
        if (need <= avail) {
            for (size_t c = 0; c < n; ++c)
                t.to[c] = t.cells[c]->Lines();
            PaintBand(t.cells, t.from, t.to, fills, need);
            m_y += need;
            t.rowsOnPage = true;
            return;
        }
        const bool fresh = !t.rowsOnPage && t.segmentTop == m_dTop;
        if (!fresh && need <= FreshCapacity()) {
            NewPage();
            continue;
        }
        // taller than a page: as many lines of each cell as fit here, the rest on the next
        const double room = avail - 2 * pad;
        bool any = false;
        bool all = true;
        for (size_t c = 0; c < n; ++c) {
            const Laid& laid = *t.cells[c];
            int k = t.from[c];
            while (k < laid.Lines() && laid.Height(t.from[c], k + 1) <= room)
                ++k;
            if (fresh && k == t.from[c] && k < laid.Lines())
                ++k; // a line taller than a page: drawn all the same, the page cuts it
            t.to[c] = k;
            any = any || k > t.from[c];
            all = all && k == laid.Lines();
        }
        if (!any) {
            NewPage();
            continue;
        }
        PaintBand(t.cells, t.from, t.to, fills, avail);
        m_y = m_dBottom;
        t.rowsOnPage = true;
        if (all)
            return; // only the least height did not fit: cut at the page's foot
        t.from = t.to;
        least = 0;
        NewPage();
    }
}
