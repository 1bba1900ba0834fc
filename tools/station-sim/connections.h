#pragma once

// Cuts accepted TCP connections of this process the way a crashing or rebooting
// station does: every connection on localPort, or only the one from remotePort.
// The HTTP library keeps owning (and later closes) the descriptors.
// reset: abort with a TCP reset (RST) instead of an orderly shutdown (FIN).
void cutConnections(int localPort, int remotePort = -1, bool reset = false);
