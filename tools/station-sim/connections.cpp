#include "connections.h"

#include <cstdlib>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>

void cutConnections(int localPort, int remotePort, bool reset)
{
    DIR *dir = opendir("/proc/self/fd");
    if (!dir)
        return;
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
        if (reset) {
            // Dissolving the association of a connected TCP socket makes the kernel send RST, while the
            // descriptor stays valid for its owner.
            sockaddr unspecified{};
            unspecified.sa_family = AF_UNSPEC;
            (void)connect(int(fd), &unspecified, sizeof unspecified);
        } else {
            shutdown(int(fd), SHUT_RDWR);
        }
    }
    closedir(dir);
}
