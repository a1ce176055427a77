#pragma once
// What a window shows its operator, for the checks of the language it speaks: every text
// read (JapaneseTexts) and every text that does not fit the room its control has (CutTexts).
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

#include <algorithm>

namespace visible {

// Kana, CJK punctuation, ideographs and the full-width forms: what an English-speaking
// operator must not meet.
inline bool HasJapanese(const QString& text) {
    static const QRegularExpression japanese(
        QStringLiteral("[\\x{3000}-\\x{30ff}\\x{3400}-\\x{4dbf}\\x{4e00}-\\x{9fff}"
                       "\\x{f900}-\\x{faff}\\x{ff01}-\\x{ffef}]"));
    return japanese.match(text).hasMatch();
}

inline QString NameOf(const QObject* object) {
    return object->objectName().isEmpty() ? QLatin1String(object->metaObject()->className())
                                          : object->objectName();
}

// "where what: text" of every text of the window: its title; of each control it shows, the
// text, title, entries, list headings and cells, hint, tool tip, status tip and accessible
// name; of its menus and actions, the titles, texts and tips.
inline QStringList Texts(QWidget* window) {
    QStringList out;
    auto add = [&out](const QObject* object, const char* what, const QString& text) {
        if (!text.isEmpty())
            out << QStringLiteral("%1 %2: %3").arg(NameOf(object), QLatin1String(what), text);
    };
    add(window, "title", window->windowTitle());
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* w : widgets) {
        if (auto* menu = qobject_cast<QMenu*>(w))
            add(menu, "menu", menu->title()); // shown when opened
        else if (w != window && !w->isVisibleTo(window))
            continue;
        add(w, "tool tip", w->toolTip());
        add(w, "status tip", w->statusTip());
        add(w, "accessible name", w->accessibleName());
        if (auto* label = qobject_cast<QLabel*>(w))
            add(w, "text", label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            add(w, "text", button->text());
        if (auto* group = qobject_cast<QGroupBox*>(w))
            add(w, "title", group->title());
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            add(w, "text", edit->text());
            add(w, "hint", edit->placeholderText());
        }
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < combo->count(); ++i)
                add(w, "entry", combo->itemText(i));
        }
        if (auto* view = qobject_cast<QAbstractItemView*>(w); view && view->model()) {
            const QAbstractItemModel* model = view->model();
            for (int c = 0; c < model->columnCount(); ++c)
                add(w, "heading", model->headerData(c, Qt::Horizontal).toString());
            for (int r = 0; r < model->rowCount(); ++r) {
                for (int c = 0; c < model->columnCount(); ++c)
                    add(w, "cell", model->data(model->index(r, c)).toString());
            }
        }
        if (w->isWindow()) {
            add(w, "title", w->windowTitle());
            for (QAction* action : w->findChildren<QAction*>()) {
                add(action, "text", action->text());
                add(action, "tool tip", action->toolTip());
                add(action, "status tip", action->statusTip());
            }
        }
    }
    return out;
}

inline QStringList JapaneseTexts(QWidget* window) {
    QStringList found;
    for (const QString& text : Texts(window)) {
        if (HasJapanese(text))
            found << text;
    }
    return found;
}

// The labels, buttons, check boxes and list headings of the window whose text is wider than
// the room the control draws it in (a label that wraps its words excepted): the text is cut.
inline QStringList CutTexts(QWidget* window) {
    QStringList cut;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window))
            continue;
        const QFontMetrics fm = w->fontMetrics();
        int room = 0;
        QString text;
        if (auto* label = qobject_cast<QLabel*>(w);
            label && !label->wordWrap() && label->textFormat() != Qt::RichText) {
            text = label->text();
            room = label->contentsRect().width() - 2 * label->margin() -
                   2 * std::max(0, label->indent());
        } else if (auto* button = qobject_cast<QAbstractButton*>(w);
                   button && (qobject_cast<QCheckBox*>(w) || qobject_cast<QPushButton*>(w))) {
            // the room the style draws the text in
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            const bool box = qobject_cast<QCheckBox*>(w);
            text = button->text();
            room = button->style()
                       ->subElementRect(box ? QStyle::SE_CheckBoxContents
                                            : QStyle::SE_PushButtonContents,
                                        &option, button)
                       .width() -
                   (box || button->icon().isNull() ? 0 : button->iconSize().width() + 4);
        } else if (auto* header = qobject_cast<QHeaderView*>(w);
                   header && header->orientation() == Qt::Horizontal && header->model()) {
            // each heading whole in its section less the grid line: a centred one anywhere, one
            // aligned to a side after the style's margin on that side
            const int margin =
                header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
            for (int c = 0; c < header->count(); ++c) {
                const QAbstractItemModel* model = header->model();
                const QString heading = model->headerData(c, Qt::Horizontal).toString();
                const QVariant align = model->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole);
                const Qt::Alignment alignment =
                    !align.isValid() ? header->defaultAlignment()
                    : align.metaType() == QMetaType::fromType<Qt::Alignment>()
                        ? align.value<Qt::Alignment>()
                        : Qt::Alignment(align.toInt());
                const bool centred = alignment & Qt::AlignHCenter;
                const int needed =
                    header->fontMetrics().horizontalAdvance(heading) + (centred ? 1 : margin + 1);
                if (!header->isSectionHidden(c) && needed > header->sectionSize(c))
                    cut << QStringLiteral("%1: heading \"%2\" needs %3 px, has %4")
                               .arg(NameOf(header->parent()), heading)
                               .arg(needed)
                               .arg(header->sectionSize(c));
            }
            continue;
        } else {
            continue;
        }
        text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            const int needed = fm.horizontalAdvance(line);
            if (needed > room)
                cut << QStringLiteral("%1: \"%2\" needs %3 px, has %4")
                           .arg(NameOf(w), line)
                           .arg(needed)
                           .arg(room);
        }
    }
    return cut;
}

} // namespace visible
