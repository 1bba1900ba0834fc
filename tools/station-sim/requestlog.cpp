#include "requestlog.h"

#include <QFile>
#include <QJsonDocument>

RequestLog::RequestLog(const QString &path)
{
    if (!path.isEmpty())
        file = std::fopen(QFile::encodeName(path).constData(), "a");
}

RequestLog::~RequestLog()
{
    if (file)
        std::fclose(file);
}

bool RequestLog::isOpen() const
{
    return file != nullptr;
}

void RequestLog::write(const QJsonObject &entry)
{
    if (!file)
        return;
    const QByteArray line = QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n';
    std::lock_guard<std::mutex> lock(mutex);
    std::fwrite(line.constData(), 1, size_t(line.size()), file);
    std::fflush(file);
}
