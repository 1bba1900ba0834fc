#pragma once

// Cuts accepted TCP connections of this process the way a crashing or rebooting
// station does: every connection on localPort, or only the one from remotePort.
// The HTTP library keeps owning (and later closes) the descriptors.
void cutConnections(int localPort, int remotePort = -1);
