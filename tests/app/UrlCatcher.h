// Stands in for the desktop's URL handler: records what the program asked
// to open (QDesktopServices::setUrlHandler(scheme, &catcher, "Open")).
#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

namespace tamsivane::testing {

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

} // namespace tamsivane::testing
