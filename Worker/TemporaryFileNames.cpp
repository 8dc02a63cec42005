#include "TemporaryFileNames.h"

#include "UniqueFd.h"

#include <files/VelInfoPlistNames.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

namespace {

constexpr std::string_view kMarker = ".tidyworker-";

bool isDecimal(std::string_view digits, qint64 *value)
{
    if (digits.empty() || digits.size() > 18)
        return false;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), *value);
    return error == std::errc() && end == digits.data() + digits.size();
}

bool processExists(pid_t pid)
{
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

} // namespace

QByteArray temporaryFileName(const QByteArray &finalName, pid_t pid, int attempt)
{
    return '.' + finalName + QByteArray(kMarker.data(), qsizetype(kMarker.size())) + QByteArray::number(qint64(pid))
        + '-' + QByteArray::number(attempt);
}

std::optional<pid_t> temporaryFileOwner(const QByteArray &name)
{
    const std::string_view text(name.constData(), size_t(name.size()));
    for (const std::string_view finalName : kVelInfoPlistNames) {
        const size_t prefixSize = 1 + finalName.size() + kMarker.size();
        if (text.size() <= prefixSize || text[0] != '.' || text.substr(1, finalName.size()) != finalName
            || text.substr(1 + finalName.size(), kMarker.size()) != kMarker)
            continue;
        const std::string_view numbers = text.substr(prefixSize);
        const size_t dash = numbers.find('-');
        qint64 pid = 0;
        qint64 attempt = 0;
        if (dash == std::string_view::npos || !isDecimal(numbers.substr(0, dash), &pid)
            || !isDecimal(numbers.substr(dash + 1), &attempt) || pid <= 0 || pid != qint64(pid_t(pid)))
            return std::nullopt;
        return pid_t(pid);
    }
    return std::nullopt;
}

void removeStaleTemporaryFiles(int folderFd)
{
    // fdopendir takes the descriptor over, so it gets its own.
    UniqueFd listing(::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR *dir = listing.isValid() ? ::fdopendir(listing.get()) : nullptr;
    if (!dir)
        return;
    (void)listing.release();
    while (const dirent *item = ::readdir(dir)) {
        const QByteArray name(item->d_name);
        const std::optional<pid_t> owner = temporaryFileOwner(name);
        if (!owner || processExists(*owner))
            continue;
        struct stat st { };
        if (::fstatat(folderFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode))
            ::unlinkat(folderFd, name.constData(), 0);
    }
    ::closedir(dir);
}
