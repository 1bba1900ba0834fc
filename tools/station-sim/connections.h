#pragma once

// Cuts accepted TCP connections of this process the way a crashing or rebooting
// station does: every connection on localPort, or only the one from remotePort.
// The HTTP library keeps owning (and later closes) the descriptors.
// reset: abort with a TCP reset (RST) instead of an orderly shutdown (FIN).
void cutConnections(int localPort, int remotePort = -1, bool reset = false);

// Whether the client of the accepted connection on localPort from remotePort has hung up (or it is gone). A
// handler that only writes now and then learns it no sooner than by a write that fails.
bool clientHungUp(int localPort, int remotePort);
