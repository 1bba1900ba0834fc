#pragma once

#include <QJsonObject>
#include <QString>

#include <cstdio>
#include <mutex>

// One JSON object per line, flushed per line, so a test can read the log while the
// station runs. Written from the HTTP worker threads and the discovery thread.
class RequestLog {
public:
    explicit RequestLog(const QString &path);
    ~RequestLog();
    RequestLog(const RequestLog &) = delete;
    RequestLog &operator=(const RequestLog &) = delete;

    bool isOpen() const;
    void write(const QJsonObject &entry);

private:
    std::mutex mutex;
    std::FILE *file = nullptr;
};
