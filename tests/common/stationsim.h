#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class QProcess;
class QTemporaryFile;

// Runs station-sim as a child process for one test. Local stations listen on 127.0.0.1;
// onStationHost() starts the station inside the private network namespace that
// tests/netns-run prepared (VMFWUPD_STATION_NETNS, VMFWUPD_STATION_IP).
class StationSim {
public:
    explicit StationSim(QStringList extraArgs = {});
    ~StationSim();
    StationSim(StationSim &&other) noexcept;
    StationSim &operator=(StationSim &&other) noexcept;
    StationSim(const StationSim &) = delete;
    StationSim &operator=(const StationSim &) = delete;

    // Adds --port 0 --lifetime 60 --log <temp file> (extra arguments given later win)
    // and waits at most 5 s for the bound port.
    bool start();
    quint16 port() const;
    // "host:port", the form a URL takes it in.
    QString address() const;
    // Where the station listens once back from a reboot (--comeback-at), in the same form.
    QString addressAfterReboot() const;
    QVector<QJsonObject> log() const;
    QString errorString() const;

    static StationSim onStationHost(QStringList extraArgs);

private:
    bool fail(const QString &reason);

    QStringList extraArgs;
    bool remote = false;
    QString host;
    QString comebackHost;
    quint16 boundPort = 0;
    QString error;
    std::unique_ptr<QTemporaryFile> logFile;
    std::unique_ptr<QProcess> process;
};
