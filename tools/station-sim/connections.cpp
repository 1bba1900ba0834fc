#include "connections.h"

#include <cstdlib>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace {

// Calls act(fd) for every accepted TCP connection of this process on localPort, or only the one from remotePort
// (unless it is -1); false when the descriptors cannot be listed.
template<class Act>
bool forEachConnection(int localPort, int remotePort, Act act)
{
    DIR *dir = opendir("/proc/self/fd");
    if (!dir)
        return false;
    while (const dirent *entry = readdir(dir)) {
        char *end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == dirfd(dir))
            continue;
        int type = 0;
        socklen_t len = sizeof type;
        if (getsockopt(int(fd), SOL_SOCKET, SO_TYPE, &type, &len) != 0 || type != SOCK_STREAM)
            continue;
        sockaddr_in local{};
        sockaddr_in peer{};
        socklen_t localLen = sizeof local;
        socklen_t peerLen = sizeof peer;
        if (getsockname(int(fd), reinterpret_cast<sockaddr *>(&local), &localLen) != 0 || local.sin_family != AF_INET
            || ntohs(local.sin_port) != localPort)
            continue;
        if (getpeername(int(fd), reinterpret_cast<sockaddr *>(&peer), &peerLen) != 0)
            continue; // the listening socket
        if (remotePort >= 0 && ntohs(peer.sin_port) != remotePort)
            continue;
        act(int(fd));
    }
    closedir(dir);
    return true;
}

} // namespace

void cutConnections(int localPort, int remotePort, bool reset)
{
    forEachConnection(localPort, remotePort, [reset](int fd) {
        if (reset) {
            // Dissolving the association of a connected TCP socket makes the kernel send RST, while the
            // descriptor stays valid for its owner.
            sockaddr unspecified{};
            unspecified.sa_family = AF_UNSPEC;
            (void)connect(fd, &unspecified, sizeof unspecified);
        } else {
            shutdown(fd, SHUT_RDWR);
        }
    });
}

bool clientHungUp(int localPort, int remotePort)
{
    bool found = false;
    bool hungUp = false;
    const bool listed = forEachConnection(localPort, remotePort, [&](int fd) {
        found = true;
        pollfd events{fd, POLLRDHUP, 0};
        hungUp = hungUp || (poll(&events, 1, 0) > 0 && (events.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0);
    });
    return hungUp || (listed && !found);
}
