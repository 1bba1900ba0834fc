#pragma once

// What the status reports of an update say together that no single one says: that the station keeps reporting
// an error of its own and has given up, or that it finished flashing and restarted before a poll saw it say so.
// Fed with every report of the station from the upload's verification on, and with every tick of the upgrade.
class StationWatch
{
public:
    enum Verdict { Working, GaveUp, Restarted };

    // A new run.
    void reset();
    // One tick of the upgrade, whose poll asks the station again.
    void tick();
    // One status report: its step index and whether its text is one of the station's error texts.
    Verdict report(int q, bool errorText);
    // The last report was one of the station's error texts.
    bool reportsError() const { return errorReports > 0; }

private:
    int errorReports = 0;
    int ticksSinceReport = 0;
    bool flashing = false;
};
