#include "station.h"

#include <algorithm>
#include <array>

namespace {
// Nominal durations of the four flashing steps, before --time-scale.
constexpr std::array<double, Station::FlashSteps> StepSeconds{6.0, 4.0, 10.0, 4.0};
} // namespace

Station::Station(const Options &options)
    : options(options)
    , currentVersion(options.version)
{
}

QString Station::version() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return currentVersion;
}

QString Station::mac() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return rebootedOnce && !options.comebackMac.isEmpty() ? options.comebackMac : options.mac;
}

bool Station::olderGeneration() const
{
    return version().contains(QLatin1String("VOIP_EN"));
}

void Station::uploadBegins()
{
    std::lock_guard<std::mutex> lock(mutex);
    ++uploadsArriving;
}

void Station::storeUpload(const UploadedFile &file)
{
    std::lock_guard<std::mutex> lock(mutex);
    --uploadsArriving;
    upload = file;
    haveUpload = true;
}

bool Station::hasUpload(UploadedFile &file) const
{
    std::lock_guard<std::mutex> lock(mutex);
    file = upload;
    return haveUpload;
}

bool Station::startUpgrade(const QString &fileName)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (upgrading || !haveUpload || !upload.complete || options.crcErrorOnUpload)
        return false;
    if (options.neverStart)
        return true;
    upgrading = true;
    startIsOut = false;
    upgradeName = fileName;
    upgradeStart = Clock::now();
    notches = 0;
    errorShown = false;
    return true;
}

void Station::startAnswered()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        startIsOut = upgrading;
    }
    supervisorWanted.notify_all();
}

QString Station::upgradeFileName() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return upgradeName;
}

FlashStatus Station::statusAt(Clock::time_point now) const
{
    FlashStatus s;
    s.olderGeneration = currentVersion.contains(QLatin1String("VOIP_EN"));
    if (!upgrading) {
        if (uploadsArriving > 0)
            s.phase = FlashStatus::Receiving;
        else if (haveUpload && upload.complete)
            s.phase = options.crcErrorOnUpload ? FlashStatus::CrcError : FlashStatus::Stored;
        return s;
    }
    if (options.crcError) {
        s.phase = FlashStatus::CrcError;
        return s;
    }
    s.phase = FlashStatus::Step;
    flashingAt(now, s);
    if (options.stallAtStep > 0 && s.step >= options.stallAtStep - 1) {
        if (s.step > options.stallAtStep - 1)
            s.percent = 99;
        s.step = options.stallAtStep - 1;
    }
    if (options.errorAtStep > 0 && s.step >= options.errorAtStep - 1)
        s.phase = FlashStatus::StepError;
    return s;
}

void Station::flashingAt(Clock::time_point now, FlashStatus &s) const
{
    if (options.advancePerPoll) {
        if (notches == 0)
            return;
        s.step = std::min((notches - 1) / NotchesPerStep, FlashSteps);
        s.percent = s.step == FlashSteps ? 100 : ((notches - 1) % NotchesPerStep + 1) * 100 / NotchesPerStep;
        return;
    }
    double elapsed = std::chrono::duration<double>(now - upgradeStart).count();
    for (s.step = 0; s.step < FlashSteps; ++s.step) {
        const double length = StepSeconds[size_t(s.step)] * options.timeScale;
        if (elapsed < length) {
            s.percent = int(elapsed / length * 100.0);
            return;
        }
        elapsed -= length;
    }
    s.percent = 100;
}

bool Station::downAt(const FlashStatus &s) const
{
    return options.downAtStep > 0 && s.phase == FlashStatus::Step && s.step >= options.downAtStep - 1;
}

std::optional<Station::Clock::time_point> Station::downMoment() const
{
    if (options.downAtStep == 0 || options.advancePerPoll || !upgrading || !startIsOut)
        return std::nullopt;
    double offset = 0.0;
    for (int step = 0; step < options.downAtStep - 1; ++step)
        offset += StepSeconds[size_t(step)] * options.timeScale;
    return upgradeStart + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(offset));
}

bool Station::isDown() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return down;
}

FlashStatus Station::poll(bool &reportsReboot)
{
    std::unique_lock<std::mutex> lock(mutex);
    if (upgrading && options.advancePerPoll && !options.crcError)
        notches = std::min(notches + 1, FlashSteps * NotchesPerStep + 1);
    FlashStatus s = statusAt(Clock::now());
    if (down || downAt(s)) {
        down = true;
        reportsReboot = false;
        lock.unlock();
        supervisorWanted.notify_all();
        return s;
    }
    reportsReboot = s.phase == FlashStatus::Step && s.step == FlashSteps && !s.olderGeneration;
    if (reportsReboot && options.restartUnannounced) {
        // Restarts after this answer, which still shows the last step.
        s.step = FlashSteps - 1;
        s.percent = 100;
    }
    if (options.errorOnceAtStep > 0 && !errorShown && s.phase == FlashStatus::Step
        && s.step == options.errorOnceAtStep - 1) {
        errorShown = true;
        s.phase = FlashStatus::StepError;
    }
    return s;
}

QString Station::stepText(int step, bool olderGeneration)
{
    static const std::array<const char *, FlashSteps + 1> texts{
        "Erasing Flash (1/5)", "Verify Erased (2/5)", "Writing Flash (3/5)", "Verify Write (4/5)", "Rebooting (5/5)"};
    // The older generation waits for the updater's reboot request and says so.
    if (olderGeneration && step >= FlashSteps)
        return QStringLiteral("Success");
    return QString::fromLatin1(texts[size_t(std::clamp(step, 0, FlashSteps))]);
}

void Station::requestReboot()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        rebootRequested = true;
        // A reboot in the middle of flashing keeps the old firmware.
        const FlashStatus s = statusAt(Clock::now());
        flashedBeforeReboot = s.phase == FlashStatus::Step && s.step == FlashSteps;
    }
    supervisorWanted.notify_all();
}

Station::Event Station::waitForEvent(Clock::time_point until)
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        if (rebootRequested)
            return RebootWanted;
        const Clock::time_point now = Clock::now();
        const auto moment = downMoment();
        if (!down && moment && now >= *moment)
            down = downAt(statusAt(now));
        if (down)
            return WentDown;
        if (now >= until)
            return LifetimeOver;
        // A moment passed without taking the station down (a stall or an error came first) wakes it no more.
        supervisorWanted.wait_until(lock, moment && *moment > now ? std::min(until, *moment) : until);
    }
}

void Station::rebooted()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (flashedBeforeReboot)
        currentVersion = options.newVersion;
    rebootRequested = false;
    rebootedOnce = true;
    flashedBeforeReboot = false;
    haveUpload = false;
    upload = UploadedFile();
    upgrading = false;
    upgradeName.clear();
    notches = 0;
    errorShown = false;
}
