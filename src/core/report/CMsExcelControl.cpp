#include "CMsExcelControl.h"

#include "settings/CTestProperty.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CMsExcelControl", text);
}

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

enum : std::uint8_t {
    KIND_TEXT = CMsExcelControl::CELL_TEXT,
    KIND_NUMBER = CMsExcelControl::CELL_NUMBER
};

// Creates every missing level of folder; false with the reason when it cannot.
bool MakeFolder(const QString& folder, QString& reason) {
    std::error_code ec;
    const std::filesystem::path path(QFile::encodeName(folder).toStdString());
    std::filesystem::create_directories(path, ec);
    if (!ec && std::filesystem::is_directory(path, ec))
        return true;
    reason = ec ? QString::fromLocal8Bit(ec.message().c_str())
                : QCoreApplication::translate("CMsExcelControl", "フォルダではありません");
    return false;
}

// Creates a new empty file of a hidden, unused name in folder. It is made as any new
// file of the user is (0666 less the umask, or the folder's default permissions), and
// the workbook written into it keeps that mode when renamed.
bool CreateTemporary(const QString& folder, QString& path, QString& reason) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString name = QStringLiteral("/.vzr-report-");
        for (int i = 0; i < 6; ++i)
            name += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(62)]);
        const QString candidate = folder + name + QStringLiteral(".tmp");
        const int fd = ::open(QFile::encodeName(candidate).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) {
            ::close(fd);
            path = candidate;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

// The options every workbook is written with.
lxw_workbook_options WorkbookOptions() {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE; // rows go straight to disk, in row order
    return options;
}

// Whether the workbook writer can make a workbook at all; nothing is written.
bool WriterCanMakeWorkbook(const QString& folder) {
    lxw_workbook_options options = WorkbookOptions();
    const QByteArray path = QFile::encodeName(folder + QStringLiteral("/.vzr-report-probe.xlsx"));
    lxw_workbook* book = workbook_new_opt(path.constData(), &options);
    if (!book)
        return false;
    lxw_workbook_free(book);
    return true;
}

// A text that itself reads like the workbook's escape for a character XML cannot carry
// ("_x0041_") would be decoded on reading: its underscore is escaped in turn.
std::string EscapeLiteralEscapes(const char* text) {
    auto hex = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    };
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (p[0] == '_' && p[1] == 'x' && hex(p[2]) && hex(p[3]) && hex(p[4]) && hex(p[5]) &&
            p[6] == '_')
            out += "_x005F";
        out += *p;
    }
    return out;
}

QString Column(int column) {
    QString name;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        name.prepend(QChar('A' + (c - 1) % 26));
    return name;
}

} // namespace

CMsExcelControl::CMsExcelControl() = default;

CMsExcelControl::~CMsExcelControl() {
    RemoveTemporary();
}

void CMsExcelControl::SetSheetsInNewWorkbook(int count) {
    m_nNewSheets = std::clamp(count, 1, 255);
}

bool CMsExcelControl::StartWorkbook() {
    m_nStartFailure = START_OK;
    m_strStartFolder.clear();
    m_strStartReason.clear();
    m_strStartError.clear();
    m_strFilePath.clear();
    m_strExplicitFile.clear();
    m_strFolder.clear();
    m_nState = STATE_EMPTY;
    m_sheets.clear();
    m_pool.clear();

    QString folder;
    QString reason;
    if (!m_strOutputPath.isEmpty()) {
        const QFileInfo target(m_strOutputPath);
        if (target.isDir() || m_strOutputPath.endsWith(QLatin1Char('/'))) {
            folder = target.absoluteFilePath();
        } else {
            folder = target.absolutePath();
            m_strExplicitFile = target.absoluteFilePath();
        }
        // an explicit folder must be there already: a typing error makes no folders
        if (!QFileInfo(folder).isDir())
            reason = QFileInfo::exists(folder) ? Tr("フォルダではありません")
                                               : Tr("フォルダがありません");
    } else {
        folder = CTestProperty::ReportsFolder();
        if (folder.isEmpty())
            reason = Tr("文書フォルダが決まっていません");
        else
            MakeFolder(folder, reason);
    }
    if (reason.isEmpty()) {
        // the folder must take a file: probe it the way the workbook will be written
        QString probe;
        if (CreateTemporary(folder, probe, reason))
            QFile::remove(probe);
    }
    if (!reason.isEmpty()) {
        m_nStartFailure = START_NO_FOLDER;
        m_strStartFolder = Native(folder);
        m_strStartReason = reason;
        m_strStartError =
            folder.isEmpty()
                ? Tr("レポートのフォルダに書き込めません: %1").arg(reason)
                : Tr("レポートのフォルダに書き込めません: %1 (%2)").arg(m_strStartFolder, reason);
        return false;
    }
    if (!WriterCanMakeWorkbook(folder)) {
        m_nStartFailure = START_NO_WRITER;
        m_strStartReason = Tr("ブックを作れません (メモリ不足)");
        m_strStartError = m_strStartReason;
        return false;
    }

    m_strFolder = folder;
    m_sheets.resize(static_cast<size_t>(m_nNewSheets));
    for (int i = 0; i < m_nNewSheets; ++i)
        m_sheets[static_cast<size_t>(i)].name = QStringLiteral("Sheet%1").arg(i + 1);
    m_nSheet = 0;
    m_nState = STATE_READY;
    return true;
}

void CMsExcelControl::SelectSheet(qint32 index) {
    if (m_nState != STATE_READY)
        return;
    const qint64 n = std::clamp<qint64>(qint64(index) + 1, 1, SheetCount());
    m_nSheet = static_cast<int>(n - 1);
}

QString CMsExcelControl::SheetPlace() const {
    return Tr("シート「%1」").arg(m_sheets[static_cast<size_t>(m_nSheet)].name);
}

void CMsExcelControl::SetSheetName(const QString& name) {
    if (m_nState != STATE_READY)
        return;
    const QString op = QStringLiteral("SetSheetName");
    const QString where = SheetPlace();
    if (name.isEmpty())
        throw CExcelError(op, where, Tr("シート名が空です"));
    if (name.size() > kMaxSheetNameChars)
        throw CExcelError(
            op, where,
            Tr("シート名「%1」が%2文字を超えています").arg(name).arg(kMaxSheetNameChars));
    for (QChar c : name) {
        if (QStringLiteral("[]:*?/\\").contains(c))
            throw CExcelError(op, where,
                              Tr("シート名「%1」に使えない文字 %2 があります").arg(name, c));
    }
    if (name.startsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('\'')))
        throw CExcelError(op, where, Tr("シート名「%1」の先頭と末尾に ' は使えません").arg(name));
    for (int i = 0; i < SheetCount(); ++i) {
        if (i != m_nSheet &&
            m_sheets[static_cast<size_t>(i)].name.compare(name, Qt::CaseInsensitive) == 0)
            throw CExcelError(op, where, Tr("シート名「%1」は既にあります").arg(name));
    }
    m_sheets[static_cast<size_t>(m_nSheet)].name = name;
}

bool CMsExcelControl::ParseCellName(QStringView cell, int& row, int& column) {
    qsizetype i = 0;
    const qsizetype n = cell.size();
    if (i < n && cell[i] == QLatin1Char('$'))
        ++i;
    qint64 col = 0;
    const qsizetype letters = i;
    while (i < n && i - letters < 4) {
        char16_t c = cell[i].unicode();
        if (c >= u'a' && c <= u'z')
            c = char16_t(c - u'a' + u'A');
        if (c < u'A' || c > u'Z')
            break;
        col = col * 26 + (c - u'A' + 1);
        ++i;
    }
    if (i == letters || col > kMaxColumns)
        return false;
    if (i < n && cell[i] == QLatin1Char('$'))
        ++i;
    const qsizetype digits = i;
    qint64 r = 0;
    while (i < n && i - digits < 8 && cell[i] >= QLatin1Char('0') && cell[i] <= QLatin1Char('9')) {
        r = r * 10 + (cell[i].unicode() - u'0');
        ++i;
    }
    if (i == digits || i != n || cell[digits] == QLatin1Char('0') || r > kMaxRows)
        return false;
    row = static_cast<int>(r - 1);
    column = static_cast<int>(col - 1);
    return true;
}

bool CMsExcelControl::ParseNumber(QStringView text, double& value) {
    const QStringView t = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = t.size();
    auto digit = [&](qsizetype k) {
        return k < n && t[k] >= QLatin1Char('0') && t[k] <= QLatin1Char('9');
    };
    if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        ++i;
    qsizetype mantissa = 0;
    while (digit(i)) {
        ++i;
        ++mantissa;
    }
    if (i < n && t[i] == QLatin1Char('.')) {
        ++i;
        while (digit(i)) {
            ++i;
            ++mantissa;
        }
    }
    if (mantissa == 0)
        return false;
    if (i < n && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        ++i;
        if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
            ++i;
        if (!digit(i))
            return false;
        while (digit(i))
            ++i;
    }
    if (i != n)
        return false;
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    // a number past the double range stays text, as it does when typed in
    if (!ok || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

void CMsExcelControl::AppendUtf8(QStringView text) {
    const qsizetype n = text.size();
    const char16_t* u = text.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = u[i];
        if (c < 0x80) {
            m_pool.push_back(static_cast<char>(c));
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(u[i + 1]))
            c = QChar::surrogateToUcs4(static_cast<char16_t>(c), u[++i]);
        else if (QChar::isSurrogate(c))
            c = QChar::ReplacementCharacter;
        if (c < 0x800) {
            m_pool.push_back(static_cast<char>(0xC0 | (c >> 6)));
        } else if (c < 0x10000) {
            m_pool.push_back(static_cast<char>(0xE0 | (c >> 12)));
            m_pool.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        } else {
            m_pool.push_back(static_cast<char>(0xF0 | (c >> 18)));
            m_pool.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            m_pool.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        }
        m_pool.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void CMsExcelControl::SetCellText(QStringView cell, QStringView text) {
    if (m_nState != STATE_READY)
        return;
    int row = 0, column = 0;
    if (!ParseCellName(cell, row, column))
        throw CExcelError(QStringLiteral("SetCellText"), SheetPlace(),
                          Tr("セル名「%1」が正しくありません").arg(cell));
    CellRec rec{static_cast<std::uint32_t>(row),
                static_cast<std::uint16_t>(column),
                KIND_TEXT,
                0,
                0,
                m_pool.size()};
    double number = 0;
    QStringView value = text;
    if (text.startsWith(QLatin1Char('\''))) {
        value = text.mid(1);
    } else if (ParseNumber(text, number)) {
        rec.kind = KIND_NUMBER;
        value = {};
    }
    if (value.size() > kMaxCellChars)
        throw CExcelError(
            QStringLiteral("SetCellText"),
            SheetPlace() + Tr(" セル %1").arg(cell.toString().toUpper()),
            Tr("文字数 %1 が上限 %2 を超えています").arg(value.size()).arg(kMaxCellChars));
    if (rec.kind == KIND_NUMBER)
        m_pool.append(reinterpret_cast<const char*>(&number), sizeof number);
    else
        AppendUtf8(value);
    rec.length = static_cast<std::uint32_t>(m_pool.size() - rec.offset);
    m_pool.push_back('\0'); // the writer takes C strings straight from the pool
    m_sheets[static_cast<size_t>(m_nSheet)].cells.push_back(rec);
}

QString CMsExcelControl::SheetName(int sheet) const {
    if (sheet < 0 || sheet >= SheetCount())
        return {};
    return m_sheets[static_cast<size_t>(sheet)].name;
}

qint64 CMsExcelControl::CellWrites(int sheet) const {
    if (sheet < 0 || sheet >= SheetCount())
        return 0;
    return static_cast<qint64>(m_sheets[static_cast<size_t>(sheet)].cells.size());
}

CMsExcelControl::Cell CMsExcelControl::CellOf(const CellRec& rec) const {
    Cell result;
    const char* data = m_pool.data() + rec.offset;
    if (rec.kind == KIND_NUMBER) {
        result.kind = CELL_NUMBER;
        std::memcpy(&result.number, data, sizeof result.number);
        result.text = QLocale::c().toString(result.number, 'g', 15);
    } else {
        result.kind = CELL_TEXT;
        result.text = QString::fromUtf8(data, rec.length);
    }
    return result;
}

CMsExcelControl::Cell CMsExcelControl::GetCell(int sheet, QStringView cell) const {
    int row = 0, column = 0;
    if (sheet < 0 || sheet >= SheetCount() || !ParseCellName(cell, row, column))
        return {};
    const auto& cells = m_sheets[static_cast<size_t>(sheet)].cells;
    for (auto it = cells.rbegin(); it != cells.rend(); ++it) {
        if (it->row == static_cast<std::uint32_t>(row) && it->column == column)
            return CellOf(*it);
    }
    return {};
}

void CMsExcelControl::VisitCells(
    int sheet, const std::function<void(int row, int column, const Cell&)>& visit) const {
    if (sheet < 0 || sheet >= SheetCount())
        return;
    for (const CellRec& rec : m_sheets[static_cast<size_t>(sheet)].cells)
        visit(static_cast<int>(rec.row), rec.column, CellOf(rec));
}

QString CMsExcelControl::ReportFileName(const QString& title, const QDateTime& when, int suffix) {
    QString base = title.trimmed();
    if (base.endsWith(QLatin1String(".vzt"), Qt::CaseInsensitive))
        base.chop(4);
    // characters no file system of the desks it runs on takes in a name
    for (QChar& c : base) {
        if (c.unicode() < 0x20 || QStringLiteral("\\/:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    }
    while (base.startsWith(QLatin1Char('.')))
        base.remove(0, 1);
    // a file name takes 255 bytes: leave room for the time, the suffix and the extension
    while (base.toUtf8().size() > 200) {
        base.chop(1);
        if (!base.isEmpty() && base.back().isHighSurrogate())
            base.chop(1);
    }
    while (base.endsWith(QLatin1Char('.')) || base.endsWith(QLatin1Char(' ')))
        base.chop(1);
    if (base.isEmpty())
        base = QStringLiteral("VZR-T8100");
    QString name = base + QLatin1Char('_') + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (suffix > 1)
        name += QLatin1Char('-') + QString::number(suffix);
    return name + QStringLiteral(".xlsx");
}

void CMsExcelControl::RemoveTemporary() {
    if (!m_strTemporary.isEmpty()) {
        QFile::remove(m_strTemporary);
        m_strTemporary.clear();
    }
}

void CMsExcelControl::SortRowOrder(std::vector<CellRec>& cells) {
    // Writes mostly come in row order already (a report writes a few headings out of
    // turn): merge the ordered runs rather than sort afresh. Merging is stable, so a cell
    // written twice keeps its writes in order and the last one wins.
    auto before = [](const CellRec& a, const CellRec& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    };
    std::vector<size_t> runs{0};
    for (size_t i = 1; i < cells.size(); ++i) {
        if (before(cells[i], cells[i - 1]))
            runs.push_back(i);
    }
    runs.push_back(cells.size());
    while (runs.size() > 2) {
        std::vector<size_t> merged{0};
        for (size_t k = 0; k + 1 < runs.size(); k += 2) {
            if (k + 2 < runs.size()) {
                std::inplace_merge(cells.begin() + static_cast<std::ptrdiff_t>(runs[k]),
                                   cells.begin() + static_cast<std::ptrdiff_t>(runs[k + 1]),
                                   cells.begin() + static_cast<std::ptrdiff_t>(runs[k + 2]),
                                   before);
                merged.push_back(runs[k + 2]);
            } else {
                merged.push_back(runs[k + 1]);
            }
        }
        runs = std::move(merged);
    }
}

void CMsExcelControl::WriteFile(const QString& path) {
    const QString op = QStringLiteral("WriteWorkbook");
    lxw_workbook_options options = WorkbookOptions();
    const QByteArray encoded = QFile::encodeName(path);
    lxw_workbook* book = workbook_new_opt(encoded.constData(), &options);
    if (!book)
        throw CExcelError(op, Native(path), Tr("ブックを作れません (メモリ不足)"));
    struct Owner {
        lxw_workbook* book;
        ~Owner() {
            if (book)
                lxw_workbook_free(book);
        }
    } owner{book};

    lxw_format* top = workbook_add_format(book);
    if (!top)
        throw CExcelError(op, Native(path), Tr("書式を作れません (メモリ不足)"));
    format_set_align(top, LXW_ALIGN_VERTICAL_TOP);

    for (Sheet& sheet : m_sheets) {
        const QString where = Tr("シート「%1」").arg(sheet.name);
        lxw_worksheet* ws = workbook_add_worksheet(book, sheet.name.toUtf8().constData());
        if (!ws)
            throw CExcelError(op, where, Tr("シートを作れません"));
        auto& cells = sheet.cells;
        SortRowOrder(cells);
        for (size_t i = 0; i < cells.size(); ++i) {
            const CellRec& c = cells[i];
            if (i + 1 < cells.size() && cells[i + 1].row == c.row &&
                cells[i + 1].column == c.column)
                continue;
            const char* data = m_pool.data() + c.offset;
            lxw_error err;
            if (c.kind == KIND_NUMBER) {
                double number = 0;
                std::memcpy(&number, data, sizeof number);
                err = worksheet_write_number(ws, c.row, c.column, number, top);
            } else if (c.length == 0) {
                err = worksheet_write_blank(ws, c.row, c.column, top);
            } else if (std::memchr(data, '_', c.length) && std::strstr(data, "_x")) {
                err = worksheet_write_string(ws, c.row, c.column,
                                             EscapeLiteralEscapes(data).c_str(), top);
            } else {
                err = worksheet_write_string(ws, c.row, c.column, data, top);
            }
            if (err != LXW_NO_ERROR)
                throw CExcelError(op, where + Tr(" セル %1%2").arg(Column(c.column)).arg(c.row + 1),
                                  QString::fromUtf8(lxw_strerror(err)));
        }
    }

    errno = 0;
    owner.book = nullptr; // closing frees the workbook whatever its result
    const lxw_error err = workbook_close(book);
    if (err != LXW_NO_ERROR) {
        QString reason = QString::fromUtf8(lxw_strerror(err));
        if (errno != 0)
            reason += QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(errno)) +
                      QLatin1Char(')');
        throw CExcelError(op, Native(path), reason);
    }
}

QString CMsExcelControl::ChooseFinalPath(const QString& folder, const QDateTime& when) const {
    for (int n = 1; n < 10000; ++n) {
        const QString candidate = folder + QLatin1Char('/') + ReportFileName(m_strTitle, when, n);
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            return candidate;
    }
    return {};
}

void CMsExcelControl::WriteWorkbook() {
    const QString op = QStringLiteral("WriteWorkbook");
    if (m_nState != STATE_READY)
        throw CExcelError(op, QString(), Tr("ブックが作られていません"));

    QString problem;
    if (!CreateTemporary(m_strFolder, m_strTemporary, problem))
        throw CExcelError(op, Native(m_strFolder), problem);

    try {
        WriteFile(m_strTemporary);
    } catch (...) {
        RemoveTemporary();
        throw;
    }
    QString target;
    if (!m_strExplicitFile.isEmpty()) {
        // the file the caller named is replaced in one step: never half old, half new
        target = m_strExplicitFile;
        if (std::rename(QFile::encodeName(m_strTemporary).constData(),
                        QFile::encodeName(target).constData()) != 0) {
            const QString reason = QString::fromLocal8Bit(std::strerror(errno));
            RemoveTemporary();
            throw CExcelError(op, Native(target), reason);
        }
    } else {
        // never over another report: a name taken meanwhile moves on to the next suffix
        const QDateTime now = QDateTime::currentDateTime();
        for (int attempt = 0;; ++attempt) {
            target = ChooseFinalPath(m_strFolder, now);
            QFile file(m_strTemporary);
            if (!target.isEmpty() && file.rename(target))
                break;
            if (target.isEmpty() || attempt >= 100 || !QFileInfo::exists(target)) {
                const QString reason =
                    target.isEmpty() ? Tr("空いているファイル名がありません") : file.errorString();
                RemoveTemporary();
                throw CExcelError(op, Native(target.isEmpty() ? m_strFolder : target), reason);
            }
        }
    }
    m_strTemporary.clear();
    m_strFilePath = target;
    m_nState = STATE_SHOWN;
}
