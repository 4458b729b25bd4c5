#pragma once

#include <QObject>
#include <QUrl>
#include <vector>

// Takes the place of the desktop's browser: records every address it is asked to open.
class UrlCatcher final : public QObject {
    Q_OBJECT

  public:
    std::vector<QUrl> opened;

  public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};
