#pragma once

// The system calls that put a new file in place of an old one, one virtual
// function each. The writer goes through them in a fixed order (create,
// write, flush, then the final attributes, rename); tests watch that order
// and make single steps fail. Every step answers like the call it wraps and
// leaves errno set on failure.

#include <QByteArray>

class ReplacementSteps {
public:
    virtual ~ReplacementSteps() = default;

    // A new file, readable and writable by its owner alone, that must not
    // exist yet. A descriptor, or -1.
    [[nodiscard]] virtual int createExclusive(int folderFd, const QByteArray &name);
    [[nodiscard]] virtual bool writeAll(int fd, const QByteArray &bytes);
    // Content and size on disk.
    [[nodiscard]] virtual bool flush(int fd);
    // noReplace: fail rather than replace an existing target.
    [[nodiscard]] virtual bool rename(int folderFd, const QByteArray &from, const QByteArray &to, bool noReplace);
    virtual void remove(int folderFd, const QByteArray &name);

    // The real calls, for the program.
    [[nodiscard]] static ReplacementSteps &system();
};
