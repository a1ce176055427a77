#pragma once

#include <QCoreApplication>
#include <QString>
#include <QVariant>
#include <QtGlobal>

// One row of a drop-down list table: the display text and the item value. Every table
// ends with a row whose text is empty and whose value is -1.
struct SelectTableRow {
    const char* text;
    qint32 value;
};

extern const SelectTableRow g_tblDiscMode[];   // "CONTACT", "AIR    "
extern const SelectTableRow g_tblIecLevel[];   // "IEC LEVEL 1" .. "IEC LEVEL X"
extern const SelectTableRow g_tblTrig[];       // "VZR", "GUN", "EXT." padded to 11
extern const SelectTableRow g_tblPola2[];      // "+", "-" (sweep flag clear)
extern const SelectTableRow g_tblPola3[];      // "+", "-", "+/-" (sweep flag set)
extern const SelectTableRow g_tblSweepLabel[]; // "開始：", "終了：", "刻み："
extern const SelectTableRow g_tblJudge[];      // "------", "A" .. "D"

// Translation context of the table texts.
inline constexpr const char* kSelectTableContext = "SelectTable";

// The display text of a table row, through the translator.
inline QString SelectTableText(const SelectTableRow& row) {
    return QCoreApplication::translate(kSelectTableContext, row.text);
}

// Number of rows before the closing row.
inline int SelectTableCount(const SelectTableRow* table) {
    int n = 0;
    while (table[n].value != -1)
        ++n;
    return n;
}

// Text of the row at index, or an empty text when the index is outside the table.
inline QString SelectTableTextAt(const SelectTableRow* table, qint64 index) {
    if (index < 0 || index >= SelectTableCount(table))
        return QString();
    return SelectTableText(table[index]);
}

// Fills a combo box (QComboBox or anything with clear/addItem(text, data)) from a table.
template <class Combo> void FillComboFromTable(Combo* combo, const SelectTableRow* table) {
    combo->clear();
    for (const SelectTableRow* row = table; row->value != -1; ++row)
        combo->addItem(SelectTableText(*row), QVariant(row->value));
}

// Selects the first entry whose item data equals value, or entry 0 when none does.
template <class Combo> void SelectComboByValue(Combo* combo, qint32 value) {
    const int count = combo->count();
    for (int i = 0; i < count; ++i) {
        const QVariant data = combo->itemData(i);
        if (data.isValid() && data.toInt() == value) {
            combo->setCurrentIndex(i);
            return;
        }
    }
    combo->setCurrentIndex(0);
}
