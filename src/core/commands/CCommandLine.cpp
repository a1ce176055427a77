#include "CCommandLine.h"

#include "settings/CLanguage.h"

#include <QCoreApplication>
#include <QProcessEnvironment>

#include <bit>

namespace {

// Options of the toolkit itself, left to the application object, with a value.
const char* const QT_VALUE_OPTIONS[] = {"-platform",        "-platformpluginpath",
                                        "-platformtheme",   "-plugin",
                                        "-qwindowgeometry", "-qwindowicon",
                                        "-qwindowtitle",    "-style",
                                        "-stylesheet",      "-display",
                                        "-geometry",        "-session",
                                        "-qmljsdebugger"};

bool isQtValueOption(const QString& arg) {
    for (const char* option : QT_VALUE_OPTIONS) {
        if (arg == QLatin1String(option))
            return true;
    }
    return false;
}

// The options seen, for deciding the mode once all are read.
enum Seen : unsigned {
    SEEN_IDENTIFY = 1u << 0,
    SEEN_DUMP = 1u << 1,
    SEEN_REPORT = 1u << 2,
    SEEN_OUT = 1u << 3,
    SEEN_RESULTS = 1u << 4,
    SEEN_RUNS = 1u << 5,
    SEEN_SEQUENCE = 1u << 6,
    SEEN_HELP = 1u << 7,
    SEEN_RUN = 1u << 8,
    SEEN_PDF = 1u << 9,
    SEEN_RESULTS_CSV = 1u << 10,
    SEEN_QUIET = 1u << 11,
    SEEN_VERSION = 1u << 12,
    SEEN_LANGUAGE = 1u << 13,
};

// An option with a value: "--name VALUE" (the value neither missing nor empty) or
// "--name=VALUE".
struct ValueOption {
    const char* name;
    QString CCommandLine::*field; // null: a port, added to the list
    unsigned seen;
    bool emptyRefused; // "--name=" is refused too
};

const ValueOption VALUE_OPTIONS[] = {
    {"--port", nullptr, 0, true},
    {"--dump", &CCommandLine::m_strDumpFile, SEEN_DUMP, false},
    {"--report", &CCommandLine::m_strReportFile, SEEN_REPORT, false},
    {"--out", &CCommandLine::m_strReportOut, SEEN_OUT, false},
    {"--pdf", &CCommandLine::m_strPdfOut, SEEN_PDF, true},
    {"--results", &CCommandLine::m_strResultsRecord, SEEN_RESULTS, false},
    {"--runs", &CCommandLine::m_strRunsFile, SEEN_RUNS, false},
    {"--send-sequence", &CCommandLine::m_strSequenceFile, SEEN_SEQUENCE, true},
    {"--run", &CCommandLine::m_strRunFile, SEEN_RUN, true},
    {"--results-csv", &CCommandLine::m_strResultsCsv, SEEN_RESULTS_CSV, true},
    {"--lang", &CCommandLine::m_strLanguage, SEEN_LANGUAGE, true},
};

const ValueOption* findValueOption(const QString& arg) {
    for (const ValueOption& option : VALUE_OPTIONS) {
        const QLatin1String name(option.name);
        if (arg == name || (arg.startsWith(name) && arg.mid(name.size()).startsWith(u'=')))
            return &option;
    }
    return nullptr;
}

QString valueMissing(const char* name) {
    return CCommandLine::tr("オプション %1 には値が必要です。").arg(QLatin1String(name));
}

// Reads the option at i and its value; i moves past a separate value.
void readValue(CCommandLine& cmd, const ValueOption& option, const QStringList& arguments,
               qsizetype& i, unsigned& seen) {
    const QString& arg = arguments.at(i);
    const qsizetype nameSize = qsizetype(qstrlen(option.name));
    QString value;
    if (arg.size() > nameSize) {
        value = arg.mid(nameSize + 1);
        if (value.isEmpty() && option.emptyRefused) {
            cmd.m_strError = valueMissing(option.name);
            return;
        }
    } else if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty()) {
        cmd.m_strError = valueMissing(option.name);
        return;
    } else {
        value = arguments.at(++i);
    }
    if (option.field)
        cmd.*option.field = value;
    else
        cmd.m_listPorts.append(value);
    seen |= option.seen;
}

// An option without a value, or the toolkit's own; i moves past the toolkit's value.
void readSwitch(CCommandLine& cmd, const QStringList& arguments, qsizetype& i, unsigned& seen) {
    const QString& arg = arguments.at(i);
    if (arg == QLatin1String("--simulate")) {
        cmd.m_bSimulate = true;
    } else if (arg == QLatin1String("--identify")) {
        seen |= SEEN_IDENTIFY;
    } else if (arg == QLatin1String("--quiet")) {
        cmd.m_bQuiet = true;
        seen |= SEEN_QUIET;
    } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
        seen |= SEEN_HELP;
    } else if (arg == QLatin1String("--version")) {
        seen |= SEEN_VERSION;
    } else if (!arg.startsWith(QLatin1String("--")) && isQtValueOption(arg)) {
        ++i; // the toolkit's option and its value stay for the application object
    } else if (!arg.startsWith(QLatin1String("--")) && arg.size() > 2) {
        // the toolkit's own switches (-reverse, -nograb, ...)
    } else {
        cmd.m_strError = CCommandLine::tr("不明なオプションです: %1").arg(arg);
    }
}

// The mode from the options seen: the help before all, then the version, at most one mode
// without windows, --out and --pdf only with --report or --run, --results only with
// --report, the run's own options only with --run.
void decideMode(CCommandLine& cmd, unsigned seen) {
    const bool report = seen & SEEN_REPORT, runs = seen & SEEN_RUNS, run = seen & SEEN_RUN;
    const bool sequence = seen & SEEN_SEQUENCE;
    const unsigned modes =
        SEEN_IDENTIFY | SEEN_DUMP | SEEN_REPORT | SEEN_SEQUENCE | SEEN_RUNS | SEEN_RUN;
    if (!cmd.m_strError.isEmpty()) {
        cmd.m_nMode = CCommandLine::MODE_ERROR;
        return;
    }
    if (seen & SEEN_HELP) {
        cmd.m_nMode = CCommandLine::MODE_HELP;
        return;
    }
    if (seen & SEEN_VERSION) {
        cmd.m_nMode = CCommandLine::MODE_VERSION;
        return;
    }
    CLanguage::Language language;
    if ((seen & SEEN_LANGUAGE) && !CLanguage::FromOption(cmd.m_strLanguage, &language))
        cmd.m_strError =
            CCommandLine::tr("--lang には ja か en を指定します: %1").arg(cmd.m_strLanguage);
    else if (std::popcount(seen & modes) > 1)
        cmd.m_strError = CCommandLine::tr("--identify、--dump、--report、--send-sequence、--runs、"
                                          "--run は同時に指定できません。");
    else if ((seen & SEEN_OUT) && !report && !run)
        cmd.m_strError =
            CCommandLine::tr("--out は --report または --run と一緒に指定してください。");
    else if ((seen & SEEN_RESULTS) && !report)
        cmd.m_strError = CCommandLine::tr("--results は --report と一緒に指定してください。");
    else if ((seen & SEEN_PDF) && !report && !run)
        cmd.m_strError =
            CCommandLine::tr("--pdf は --report または --run と一緒に指定してください。");
    else if ((seen & SEEN_RESULTS_CSV) && !run)
        cmd.m_strError = CCommandLine::tr("--results-csv は --run と一緒に指定してください。");
    else if ((seen & SEEN_QUIET) && !run)
        cmd.m_strError = CCommandLine::tr("--quiet は --run と一緒に指定してください。");
    else if ((report || runs) && !cmd.m_listDocuments.isEmpty())
        cmd.m_strError = CCommandLine::tr("余分な引数があります: %1")
                             .arg(cmd.m_listDocuments.join(QLatin1Char(' ')));
    else if (sequence && !cmd.m_listDocuments.isEmpty())
        cmd.m_strError =
            CCommandLine::tr("--send-sequence にはデータファイルを一つだけ指定します。");
    else if (run && !cmd.m_listDocuments.isEmpty())
        cmd.m_strError = CCommandLine::tr("--run にはデータファイルを一つだけ指定します。");
    if (!cmd.m_strError.isEmpty())
        cmd.m_nMode = CCommandLine::MODE_ERROR;
    else if (sequence)
        cmd.m_nMode = CCommandLine::MODE_SEND_SEQUENCE;
    else if (run)
        cmd.m_nMode = CCommandLine::MODE_RUN;
    else if (seen & SEEN_IDENTIFY)
        cmd.m_nMode = CCommandLine::MODE_IDENTIFY;
    else if (seen & SEEN_DUMP)
        cmd.m_nMode = CCommandLine::MODE_DUMP;
    else if (report)
        cmd.m_nMode = CCommandLine::MODE_REPORT;
    else if (runs)
        cmd.m_nMode = CCommandLine::MODE_RUNS;
    else
        cmd.m_nMode = CCommandLine::MODE_GUI;
}

} // namespace

QString CCommandLine::Usage() {
    return tr("使い方: vzr-t8100 [オプション] [データファイル.vzt]\n"
              "\n"
              "VZR-T8100用リモートコントロールソフト\n"
              "\n"
              "オプション:\n"
              "  --port PATH    PATH のシリアルポートを先に探します (複数指定可)\n"
              "  --simulate     内蔵の模擬器を起動し、その端末を最初に探します\n"
              "  --identify     VZR-T8100を探し、見つかったポートと応答を表示して終了します\n"
              "  --dump FILE    データファイルの内容を表示して終了します\n"
              "  --report FILE  データファイルの試験レポート (.xlsx) を作成し、そのパスを\n"
              "                 表示して終了します (判定なし、試験日時なし)\n"
              "  --results RECORD\n"
              "                 --report に試験記録 RECORD の判定とコメント、試験環境と\n"
              "                 試験日時を入れます (データファイルの試験計画と同じ記録のみ。\n"
              "                 記録が途中までしか読めないときは終了コード 3)\n"
              "  --out PATH     --report と --run のレポートの保存先 (ファイルまたは\n"
              "                 フォルダ)。--report で省略時は文書フォルダの VZR-T8100\n"
              "  --pdf PATH     --report と --run で印刷用の試験報告書 (.pdf) を PATH\n"
              "                 (ファイルまたはフォルダ) に作成します。--report で --out が\n"
              "                 なければ .xlsx は作成しません\n"
              "  --send-sequence FILE\n"
              "                 データファイルの試験条件をVZR-T8100内部のSEQUENCEデータに\n"
              "                 書き込んで終了します (成功は終了コード 0)\n"
              "  --runs FILE    データファイルの試験記録 (開始、終了、判定数、試験器エラー)\n"
              "                 を一覧表示して終了します\n"
              "  --run FILE     ウィンドウなしでデータファイルの試験を最初のステップから最後まで\n"
              "                 実行します (自動A判定。完了したステップを一行ずつ、最後に判定\n"
              "                 の件数を表示。Ctrl+C で STOP と同じく停止します)。終了コード:\n"
              "                 0 全ステップ完了、1 試験器なし・エラー、130/143 SIGINT/SIGTERM\n"
              "  --results-csv FILE\n"
              "                 --run の試験記録の写しを FILE に書き込みます\n"
              "  --quiet        --run で判定の件数の行だけを表示します\n"
              "  --version      バージョンを表示します\n"
              "  --lang ja|en   表示の言語 (省略時はロケールの LC_ALL、LC_MESSAGES、LANG\n"
              "                 から決めます: ja_* と C は日本語、ほかの言語は英語)\n"
              "  --help         この説明を表示します\n");
}

void CCommandLine::Parse(const QStringList& arguments) {
    *this = CCommandLine();
    unsigned seen = 0;
    bool optionsEnded = false;
    // read to the end after a fault, so that a --lang after it still chooses the language
    // the fault is told in; the first fault is the one told
    QString firstError;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-"))
            m_listDocuments.append(arg);
        else if (arg == QLatin1String("--"))
            optionsEnded = true;
        else if (const ValueOption* option = findValueOption(arg))
            readValue(*this, *option, arguments, i, seen);
        else
            readSwitch(*this, arguments, i, seen);
        if (firstError.isEmpty())
            firstError = m_strError;
    }
    m_strError = firstError;
    decideMode(*this, seen);
}

CLanguage::Language CCommandLine::Language() const {
    return CLanguage::Choose(QProcessEnvironment::systemEnvironment(), m_strLanguage);
}
