#pragma once

#include <QString>

// Pressing "Find my Velmora" broadcasts on every local network. Anything that presses it unattended asks this
// first: it answers with what is wrong, or an empty text when the process runs on the updater host of the
// private network made by tests/netns-run (only lo and that network's veth end, named in VMFWUPD_UPDATER_IF).
QString privateNetworkProblem();
