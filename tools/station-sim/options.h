#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <cstdint>

// Everything the command line can set. Durations are in seconds unless named otherwise.
struct Options {
    QString listen = QStringLiteral("127.0.0.1");
    int port = 0;
    double lifetime = 120.0;
    bool v11 = false;
    QString version;
    QString newVersion = QStringLiteral("143 20210125 V14.3");
    QString mac = QStringLiteral("0A:1B:2C:3D:4E:5F");
    double rebootSeconds = 3.0;
    double timeScale = 1.0;
    bool advancePerPoll = false;

    int64_t dropUploadAfter = -1; // file bytes; negative: never drop
    bool wrongSize = false;
    bool noComeback = false;
    bool notJson = false;
    int pieces = 1;
    int pieceMs = 0;
    bool crcError = false;
    bool silent = false;
    int status = 0;        // HTTP status of every GET answer; 0: the usual one
    int uploadStatus = 200; // HTTP status of the answer to a complete upload
    double uploadAnswerDelay = -1.0; // negative: answer the upload at once
    bool resetUpload = false;

    QString logPath;

    bool discovery = false;
    QString discoveryBind = QStringLiteral("0.0.0.0");
    QString unitIp; // empty: the listen address
    bool ackTwice = false;
    int stations = 1;
    int ackDelayMs = 0;
    int junkFirst = 0;
    QVector<QByteArray> ackHex; // raw datagrams replacing the generated ones
};

// Parses the arguments; prints --help or an error itself and sets exitCode when the
// program should end at once (0 after --help, 2 after a usage error).
bool parseOptions(const QStringList &arguments, Options &options, int &exitCode);
