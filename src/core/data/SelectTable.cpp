#include "SelectTable.h"

#include <QtGlobal>

// The texts are translated where they are shown (SelectTableText); the padded blanks
// keep the drop-down entries of one list equally wide.

const SelectTableRow g_tblDiscMode[] = {
    {QT_TRANSLATE_NOOP("SelectTable", "CONTACT"), 0},
    {QT_TRANSLATE_NOOP("SelectTable", "AIR    "), 1},
    {"", -1},
};

const SelectTableRow g_tblIecLevel[] = {
    {QT_TRANSLATE_NOOP("SelectTable", "IEC LEVEL 1"), 0},
    {QT_TRANSLATE_NOOP("SelectTable", "IEC LEVEL 2"), 1},
    {QT_TRANSLATE_NOOP("SelectTable", "IEC LEVEL 3"), 2},
    {QT_TRANSLATE_NOOP("SelectTable", "IEC LEVEL 4"), 3},
    {QT_TRANSLATE_NOOP("SelectTable", "IEC LEVEL X"), 4},
    {"", -1},
};

// TRIG_REMOTE is not offered to the operator.
const SelectTableRow g_tblTrig[] = {
    {QT_TRANSLATE_NOOP("SelectTable", "VZR        "), 0},
    {QT_TRANSLATE_NOOP("SelectTable", "GUN        "), 1},
    {QT_TRANSLATE_NOOP("SelectTable", "EXT.       "), 2},
    {"", -1},
};

const SelectTableRow g_tblPola2[] = {
    {QT_TRANSLATE_NOOP("SelectTable", "+"), 0},
    {QT_TRANSLATE_NOOP("SelectTable", "-"), 1},
    {"", -1},
};

// Item 0 stands for the polarity set 1, item 1 for 2, item 2 for 3.
const SelectTableRow g_tblPola3[] = {
    {QT_TRANSLATE_NOOP("SelectTable", "+"), 0},
    {QT_TRANSLATE_NOOP("SelectTable", "-"), 1},
    {QT_TRANSLATE_NOOP("SelectTable", "+/-"), 2},
    {"", -1},
};

const SelectTableRow g_tblSweepLabel[] = {
    {QT_TRANSLATE_NOOP("SelectTable", "開始："), 0},
    {QT_TRANSLATE_NOOP("SelectTable", "終了："), 1},
    {QT_TRANSLATE_NOOP("SelectTable", "刻み："), 2},
    {"", -1},
};

const SelectTableRow g_tblJudge[] = {
    {QT_TRANSLATE_NOOP("SelectTable", "------"), 0}, {QT_TRANSLATE_NOOP("SelectTable", "A"), 1},
    {QT_TRANSLATE_NOOP("SelectTable", "B"), 2},      {QT_TRANSLATE_NOOP("SelectTable", "C"), 3},
    {QT_TRANSLATE_NOOP("SelectTable", "D"), 4},      {"", -1},
};
