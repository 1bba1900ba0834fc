#pragma once

// What the station's answers during an update say together that no single one says: that it keeps reporting an
// error of its own and has given up, that it finished flashing and restarted before a poll saw it say so, that it
// has gone silent, or that it goes on answering without ever starting to flash.
// Fed with every report of the station from the upload's verification on, with every answer it gives, and with
// every tick of the upgrade.
class StationWatch
{
public:
    enum Verdict { Working, GaveUp, Restarted, Silent, NeverStarted };

    // A new run.
    void reset();
    // One tick of the upgrade, whose poll asks the station again.
    Verdict tick();
    // The station's whole answer to any request arrived.
    void answered();
    // One status report: its step index and whether its text is one of the station's error texts.
    Verdict report(int q, bool errorText);
    // The last report was one of the station's error texts.
    bool reportsError() const { return errorReports > 0; }

private:
    int errorReports = 0;
    int ticksSinceReport = 0;
    int ticksSinceAnswer = 0;
    int upgradeTicks = 0;
    bool flashing = false;
};
