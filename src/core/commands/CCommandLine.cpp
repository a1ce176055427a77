#include "CCommandLine.h"

#include <QCoreApplication>

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

QString tr(const char* text) {
    return QCoreApplication::translate("CCommandLine", text);
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
              "  --out PATH     --report の保存先 (ファイルまたはフォルダ)。省略時は\n"
              "                 文書フォルダの VZR-T8100\n"
              "  --send-sequence FILE\n"
              "                 データファイルの試験条件をVZR-T8100内部のSEQUENCEデータに\n"
              "                 書き込んで終了します (成功は終了コード 0)\n"
              "  --runs FILE    データファイルの試験記録 (開始、終了、判定数、試験器エラー)\n"
              "                 を一覧表示して終了します\n"
              "  --help         この説明を表示します\n");
}

void CCommandLine::Parse(const QStringList& arguments) {
    *this = CCommandLine();
    bool identify = false, help = false, dump = false, report = false, out = false;
    bool results = false, runs = false;
    bool sequence = false;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        auto value = [&](QString& into) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty()) {
                m_strError = tr("オプション %1 には値が必要です。").arg(arg);
                return false;
            }
            into = arguments.at(++i);
            return true;
        };
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            m_listDocuments.append(arg);
        } else if (arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (arg == QLatin1String("--port") || arg.startsWith(QLatin1String("--port="))) {
            QString path;
            if (arg.startsWith(QLatin1String("--port=")))
                path = arg.mid(7);
            else if (!value(path))
                break;
            if (path.isEmpty()) {
                m_strError = tr("オプション %1 には値が必要です。").arg(QStringLiteral("--port"));
                break;
            }
            m_listPorts.append(path);
        } else if (arg == QLatin1String("--dump") || arg.startsWith(QLatin1String("--dump="))) {
            if (arg.startsWith(QLatin1String("--dump=")))
                m_strDumpFile = arg.mid(7);
            else if (!value(m_strDumpFile))
                break;
            dump = true;
        } else if (arg == QLatin1String("--report") || arg.startsWith(QLatin1String("--report="))) {
            if (arg.startsWith(QLatin1String("--report=")))
                m_strReportFile = arg.mid(9);
            else if (!value(m_strReportFile))
                break;
            report = true;
        } else if (arg == QLatin1String("--out") || arg.startsWith(QLatin1String("--out="))) {
            if (arg.startsWith(QLatin1String("--out=")))
                m_strReportOut = arg.mid(6);
            else if (!value(m_strReportOut))
                break;
            out = true;
        } else if (arg == QLatin1String("--results") ||
                   arg.startsWith(QLatin1String("--results="))) {
            if (arg.startsWith(QLatin1String("--results=")))
                m_strResultsRecord = arg.mid(10);
            else if (!value(m_strResultsRecord))
                break;
            results = true;
        } else if (arg == QLatin1String("--runs") || arg.startsWith(QLatin1String("--runs="))) {
            if (arg.startsWith(QLatin1String("--runs=")))
                m_strRunsFile = arg.mid(7);
            else if (!value(m_strRunsFile))
                break;
            runs = true;
        } else if (arg == QLatin1String("--send-sequence") ||
                   arg.startsWith(QLatin1String("--send-sequence="))) {
            if (arg.startsWith(QLatin1String("--send-sequence=")))
                m_strSequenceFile = arg.mid(16);
            else if (!value(m_strSequenceFile))
                break;
            if (m_strSequenceFile.isEmpty()) {
                m_strError =
                    tr("オプション %1 には値が必要です。").arg(QStringLiteral("--send-sequence"));
                break;
            }
            sequence = true;
        } else if (arg == QLatin1String("--simulate")) {
            m_bSimulate = true;
        } else if (arg == QLatin1String("--identify")) {
            identify = true;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            help = true;
        } else if (!arg.startsWith(QLatin1String("--")) && isQtValueOption(arg)) {
            ++i; // the toolkit's option and its value stay for the application object
        } else if (!arg.startsWith(QLatin1String("--")) && arg.size() > 2) {
            // the toolkit's own switches (-reverse, -nograb, ...)
        } else {
            m_strError = tr("不明なオプションです: %1").arg(arg);
            break;
        }
    }
    if (!m_strError.isEmpty()) {
        m_nMode = MODE_ERROR;
    } else if (help) {
        m_nMode = MODE_HELP;
    } else if (int(identify) + int(dump) + int(report) + int(sequence) + int(runs) > 1) {
        m_strError =
            tr("--identify、--dump、--report、--send-sequence、--runs は同時に指定できません。");
        m_nMode = MODE_ERROR;
    } else if (out && !report) {
        m_strError = tr("--out は --report と一緒に指定してください。");
        m_nMode = MODE_ERROR;
    } else if (results && !report) {
        m_strError = tr("--results は --report と一緒に指定してください。");
        m_nMode = MODE_ERROR;
    } else if ((report || runs) && !m_listDocuments.isEmpty()) {
        m_strError = tr("余分な引数があります: %1").arg(m_listDocuments.join(QLatin1Char(' ')));
        m_nMode = MODE_ERROR;
    } else if (sequence && !m_listDocuments.isEmpty()) {
        m_strError = tr("--send-sequence にはデータファイルを一つだけ指定します。");
        m_nMode = MODE_ERROR;
    } else if (sequence) {
        m_nMode = MODE_SEND_SEQUENCE;
    } else if (identify) {
        m_nMode = MODE_IDENTIFY;
    } else if (dump) {
        m_nMode = MODE_DUMP;
    } else if (report) {
        m_nMode = MODE_REPORT;
    } else if (runs) {
        m_nMode = MODE_RUNS;
    } else {
        m_nMode = MODE_GUI;
    }
}
