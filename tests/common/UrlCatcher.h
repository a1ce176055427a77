#pragma once
// Stands in for the desktop's spreadsheet application: the workbooks handed over are kept
// instead of opened (QDesktopServices::setUrlHandler(u"file"_s, &catcher, "open")).
#include <QList>
#include <QObject>
#include <QUrl>

class CUrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> m_urls;
public slots:
    void open(const QUrl& url) { m_urls.append(url); }
};
