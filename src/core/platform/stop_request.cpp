#include "platform/stop_request.h"

#include <atomic>
#include <csignal>
#include <cstring>

namespace kadrilo::platform {

namespace {

volatile std::sig_atomic_t g_received = 0;

// Written before a deadline's handler may read it, read by that handler only.
char g_deadlineFolder[4096] = {};

} // namespace

int stopRequested() {
    return int(g_received);
}

void noteStopRequest(int signal) {
    if (g_received == 0)
        g_received = signal;
}

void clearStopRequest() {
    g_received = 0;
}

void setFolderRemovedOnDeadline(const QByteArray &folder) {
    // The handler must never see half a path: the folder is cleared first, its first byte
    // written last.
    g_deadlineFolder[0] = '\0';
    if (folder.isEmpty() || std::size_t(folder.size()) >= sizeof g_deadlineFolder)
        return;
    std::memcpy(g_deadlineFolder + 1, folder.constData() + 1, std::size_t(folder.size()));
    std::atomic_signal_fence(std::memory_order_seq_cst);
    g_deadlineFolder[0] = folder.front();
}

const char *folderRemovedOnDeadline() {
    return g_deadlineFolder;
}

} // namespace kadrilo::platform
