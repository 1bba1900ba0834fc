#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdint>

// Everything the command line can set. Durations are in seconds unless named otherwise.
struct Options {
    QString listen = QStringLiteral("127.0.0.1");
    QString version;
    QString newVersion = QStringLiteral("143 20210125 V14.3");
    QString mac = QStringLiteral("0A:1B:2C:3D:4E:5F");
    QString logPath;
    QString discoveryBind = QStringLiteral("0.0.0.0");
    QString unitIp; // empty: the listen address
    // After a reboot the station listens (and announces itself) here, and with this MAC; empty: as before.
    QString comebackAt;
    QString comebackMac;
    QVector<QByteArray> ackHex; // raw datagrams replacing the generated ones
    // Paths whose answers never end, drip, or come as a small gzip body that decodes to 2 MiB.
    QStringList endless;
    QStringList drip;
    QStringList gzipBomb;

    double lifetime = 120.0;
    double rebootSeconds = 3.0;
    double timeScale = 1.0;
    double uploadAnswerDelay = -1.0; // negative: answer the upload at once; infinite: never
    int64_t dropUploadAfter = -1;    // file bytes; negative: never drop
    double dripSeconds = 4.0;

    int port = 0;
    int pieces = 1;
    int pieceMs = 0;
    int status = 0;         // HTTP status of every GET answer; 0: the usual one
    int uploadStatus = 200; // HTTP status of the answer to a complete upload
    int stations = 1;
    int ackDelayMs = 0;
    int junkFirst = 0;
    // Flashing steps 1-4; 0: none.
    int errorAtStep = 0;
    int errorOnceAtStep = 0;
    int stallAtStep = 0;
    int downAtStep = 0;

    bool v11 = false;
    bool advancePerPoll = false;
    bool wrongSize = false;
    bool noComeback = false;
    bool neverStart = false;
    bool notJson = false;
    bool answerWithoutMac = false;
    bool crcError = false;
    bool crcErrorOnUpload = false;
    bool restartUnannounced = false;
    bool silent = false;
    bool resetUpload = false;
    bool discovery = false;
    bool ackTwice = false;
};

// Parses the arguments; prints --help or an error itself and sets exitCode when the
// program should end at once (0 after --help, 2 after a usage error).
bool parseOptions(const QStringList &arguments, Options &options, int &exitCode);
