#pragma once

#include "options.h"

#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

// What the station received by its last upload.
struct UploadedFile {
    QString name;
    QString filename;
    QString partContentType;
    int64_t size = 0;
    bool complete = false;
};

// Where the station stands: before an upgrade, what it holds; during one, the flashing walk.
struct FlashStatus {
    enum Phase { Idle, Receiving, Stored, Step, CrcError, StepError };
    Phase phase = Idle;
    int step = 0;    // 0..3 flashing steps, 4 done ("Rebooting (5/5)" / firmware installed)
    int percent = 0; // within the step
    bool olderGeneration = false;
};

// The station's state machine, shared by the HTTP worker threads and the supervisor.
class Station {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int FlashSteps = 4;
    static constexpr int NotchesPerStep = 4;

    explicit Station(const Options &options);

    QString version() const;
    QString mac() const; // --comeback-mac once the station has rebooted
    bool olderGeneration() const; // the version text carries "VOIP_EN"

    // An upload body started to arrive; storeUpload() ends it.
    void uploadBegins();
    void storeUpload(const UploadedFile &file);
    bool hasUpload(UploadedFile &file) const;

    // paramId 25; false when nothing complete was uploaded or an upgrade already runs.
    bool startUpgrade(const QString &fileName);
    // The answer to a started upgrade is on the wire: from now on the clock may take the station down.
    void startAnswered();
    QString upgradeFileName() const;
    // One upgrade-status poll: paramId 26 or the older generation's status page.
    // reportsReboot is set when the answer tells the client the station now restarts
    // (only the current generation restarts by itself).
    FlashStatus poll(bool &reportsReboot);
    // Gone down for good (--down-at-step): nothing is answered any more.
    bool isDown() const;

    // Reboots and the end are carried out by the supervisor: it waits for a request or for the station to go
    // down, takes the station off the network and, after a reboot, calls rebooted() when it is back.
    enum Event { RebootWanted, WentDown, LifetimeOver };
    void requestReboot();
    Event waitForEvent(Clock::time_point until);
    void rebooted();

    static QString stepText(int step, bool olderGeneration);

private:
    FlashStatus statusAt(Clock::time_point now) const;
    // Step and percentage of a running upgrade, by the clock or by the polls so far.
    void flashingAt(Clock::time_point now, FlashStatus &s) const;
    bool downAt(const FlashStatus &s) const;
    // When the flashing step that takes the station down begins by the clock.
    std::optional<Clock::time_point> downMoment() const;

    const Options &options;
    mutable std::mutex mutex;
    std::condition_variable supervisorWanted;
    bool rebootRequested = false;
    bool down = false;
    bool startIsOut = false;
    bool rebootedOnce = false;
    bool flashedBeforeReboot = false;
    QString currentVersion;
    UploadedFile upload;
    bool haveUpload = false;
    int uploadsArriving = 0;
    bool upgrading = false;
    QString upgradeName;
    Clock::time_point upgradeStart;
    int notches = 0;
    bool errorShown = false;
};
