#pragma once

#include "data/CExecData.h"
#include "execution/CRunSequencer.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>

class CTestProperty;

// The run record's CSV (UTF-8 with a byte-order mark, CRLF line ends): a signature line,
// header lines "key,value", the column heading line, then one line per event. Shared by
// the writer, the reader and the commands that list and report records, so that what is
// written is exactly what is read.
namespace RunRecordFormat {

// The first line: signature and format version.
inline constexpr char SIGNATURE[] = "VZR-T8100 試験記録";
inline constexpr int VERSION = 1;
inline constexpr char BOM[] = "\xEF\xBB\xBF";
// A data file NAME.vzt keeps its records in NAME.runs/, one file per run.
inline constexpr char FOLDER_SUFFIX[] = ".runs";
inline constexpr char FILE_SUFFIX[] = ".csv";

// Header keys.
inline constexpr char KEY_PROGRAM[] = "プログラム";       // name, version
inline constexpr char KEY_INSTRUMENT[] = "試験器応答";    // identification reply
inline constexpr char KEY_PORT[] = "ポート";              // device of the port
inline constexpr char KEY_DATA_FILE[] = "データファイル"; // absolute path, empty if unsaved
inline constexpr char KEY_TITLE[] = "文書名";             // names the report's workbook
inline constexpr char KEY_PLAN_HASH[] = "計画ハッシュ";   // PlanHash of the run list
inline constexpr char KEY_STEPS[] = "ステップ数";         // steps of the run list
inline constexpr char KEY_START[] = "開始";               // local time, UTC offset
inline constexpr char KEY_TEST_TIME[] = "試験日時";       // local time, seconds since 1970
// One line per test point, in order: its 1-based number, its name and the steps (1-based)
// that carry it, as ranges ("1-4 9-12"), for a person reading the record.
inline constexpr char KEY_TEST_POINT[] = "テストポイント";

// The settings the report shows, under the report's own labels, in the report's order.
struct PropertyKey {
    const char* key;
    QString CTestProperty::*field;
};
inline constexpr int PROPERTY_KEY_COUNT = 16;
extern const PropertyKey PROPERTY_KEYS[PROPERTY_KEY_COUNT];

// Columns of the event lines; their heading line ends the header.
enum Column {
    COL_TIME,  // local time to the millisecond
    COL_EVENT, // Event token
    COL_STEP,  // 1-based step number, empty when none
    COL_MODE,  // the step's values as the results list shows them ...
    COL_LEVEL,
    COL_TRIG,
    COL_POLA,
    COL_VOLT,
    COL_INTERVAL,
    COL_COUNT,   // ... up to here
    COL_JUDGE,   // JUDGE: the step's judgement afterwards; JUDGE_ALL: the one given to all
    COL_COMMENT, // JUDGE: the step's comment afterwards
    COL_DETAIL,  // how a judgement was set, the error text, the report's path, ON/OFF
    COL_CODE,    // INSTRUMENT_ERROR: the instrument's error code
    COLUMN_COUNT
};
const char* ColumnHeading(int column);

enum Event {
    EVENT_START,            // START pressed at the step
    EVENT_LOAD,             // the step's values sent to the instrument
    EVENT_DISCHARGE,        // discharging of the step seen
    EVENT_COMPLETE,         // the step's discharges complete
    EVENT_JUDGE,            // the step's judgement or comment set
    EVENT_JUDGE_ALL,        // 判定全変更: every step's judgement set
    EVENT_COMMENTS_CLEARED, // コメント全削除: every step's comment deleted
    EVENT_STOP,             // STOP pressed
    EVENT_TRIG,             // TRIG pressed
    EVENT_INSTRUMENT_ERROR, // the instrument reported an error
    EVENT_COMM_ERROR,       // the instrument did not answer during a run
    EVENT_END,              // the last step done: the end of the test
    EVENT_REPORT,           // a report workbook written
    EVENT_RESTORE,          // results put back from the record named in the detail
    EVENT_CLOSE,            // the dialog closed
    EVENT_COUNT
};
const char* EventToken(Event event);
// The event of a token, -1 for none.
int EventOfToken(QByteArrayView token);

// How a judgement was set, as the detail of a JUDGE line.
const char* JudgePathText(CRunSequencer::JudgePath path);
inline constexpr char DETAIL_JUDGE_ALL[] = "判定全変更";
inline constexpr char DETAIL_COMMENTS_CLEARED[] = "コメント全削除";
inline constexpr char DETAIL_TRIG_ON[] = "ON";
inline constexpr char DETAIL_TRIG_OFF[] = "OFF";

// "2026/12/08 10:00:01.123" in local time.
QByteArray TimeText(const QDateTime& time);
inline constexpr int TIME_TEXT_SIZE = 23;
// Whether the text has that form with a possible date and time.
bool IsTimeText(QByteArrayView text);
// The local time of such a text; invalid when the text is not one.
QDateTime ParseTime(QByteArrayView text);
// "+09:00": the offset of local time from UTC at that time.
QByteArray OffsetText(const QDateTime& time);
// The time of a time text at such an offset from UTC (local time when the offset is empty);
// invalid when either text is not one.
QDateTime ParseTime(QByteArrayView text, QByteArrayView offset);

// The judgement's text in the lists ("------", "A" .. "D"), and back (-1 for none).
QByteArrayView JudgeText(qint32 judge);
int JudgeOfText(QByteArrayView text);

// The run list's fingerprint: SHA-256, in hex, of every step's stored values in order (the
// polarity as the lists correct it), and of the names of the test points its steps are
// numbered by (none: the fingerprint the run list had before there were points).
// Judgements and comments are not part of it.
QByteArray PlanHash(const CExecList& steps, const QStringList& testPoints);
// The steps (1-based) whose test point is point, as ranges: "1-4 9-12"; " ..." ends the
// text where it grows beyond STEP_RANGES_BYTES.
QByteArray StepRanges(const CExecList& steps, const QStringList& testPoints, int point);
inline constexpr qsizetype STEP_RANGES_BYTES = 4096;

// Free text (a comment, a setting, a name) that a spreadsheet opening the record would take
// for a formula, one beginning with = + - @ or a tab or carriage return, is kept as text
// with an apostrophe put before it; one that begins with an apostrophe gets another, so
// that UnguardText gives back exactly what was written.
QByteArray GuardText(QByteArrayView utf8);
QByteArrayView UnguardText(QByteArrayView field);

// CSV: appends a field to a line, quoted when it holds a comma, a quote or a line end.
void AppendField(QByteArray& line, QByteArrayView utf8);
// Splits a line (without its end) into at most maxFields fields. Quoted fields lose their
// quotes; one with doubled quotes is unescaped into scratch, which must not be touched
// while the fields are used. The number of fields, or -1 for a stray quote or more
// fields than maxFields.
int SplitFields(QByteArrayView line, QByteArrayView* fields, int maxFields, QByteArray& scratch);

} // namespace RunRecordFormat
