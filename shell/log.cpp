#include "shell/log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

int logFd = -1;
std::string pending; // the unfinished line, not yet in the file

void writeOut(const char* data, size_t size)
{
    while (logFd >= 0 && size > 0) {
        const ssize_t n = ::write(logFd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return; // a full disk costs the log, never the game
        data += n;
        size -= static_cast<size_t>(n);
    }
}

} // namespace

void openLog(const char* path)
{
    closeLog();
    pending.clear();
    logFd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

void logText(const std::string& text)
{
    pending += text;
    const size_t end = pending.rfind('\n');
    if (end == std::string::npos)
        return;
    writeOut(pending.data(), end + 1);
    pending.erase(0, end + 1);
}

void logLine(const std::string& line)
{
    const std::string whole = line + "\n";
    writeOut(whole.data(), whole.size());
}

void closeLog()
{
    if (logFd < 0)
        return;
    writeOut(pending.data(), pending.size());
    pending.clear();
    ::close(logFd);
    logFd = -1;
}
