#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class QProcess;
class QTemporaryFile;

// Runs station-sim as a child process for one test. Local stations listen on 127.0.0.1;
// onOwnLoopbackAddress() starts one on port 80 of a loopback address of its own, as a real station listens on
// port 80 of its own address (a test inside tests/netns-run owns all of 127.0.0.0/8 and port 80);
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

    // Adds --port 0 (or --listen and --port 80) --lifetime 60 --log <temp file> (extra arguments given later win)
    // and waits at most 5 s for the bound port.
    bool start();
    quint16 port() const;
    // "host:port", the form a URL takes it in; the plain dotted address for port 80.
    QString address() const;
    // Where the station listens once back from a reboot (--comeback-at), in the same form.
    QString addressAfterReboot() const;
    QVector<QJsonObject> log() const;
    QString errorString() const;

    static StationSim onStationHost(QStringList extraArgs);
    // 127.0.0.10, 127.0.0.11, ...: a new address for every station of the process.
    static StationSim onOwnLoopbackAddress(QStringList extraArgs = {});

private:
    bool fail(const QString &reason);
    QString withPort(const QString &address) const;

    QStringList extraArgs;
    bool remote = false;
    QString ownAddress;
    QString host;
    QString comebackHost;
    quint16 boundPort = 0;
    QString error;
    std::unique_ptr<QTemporaryFile> logFile;
    std::unique_ptr<QProcess> process;
};
