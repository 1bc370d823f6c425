#pragma once
// One dial at a time for each user: a dialer that is to dial while another of
// the same user's dialers is dialling waits until that dial has ended, so that
// two commands never go out mixed into one. A lock left by a dialer that died
// is taken over.

#include <QLockFile>
#include <QString>
#include <functional>

namespace tones {

class DialLock {
public:
    // The lock file in the user's runtime folder.
    static QString defaultPath();

    explicit DialLock(const QString& path = defaultPath());

    // Waits until no other dial of this user runs and takes the lock; `idle`
    // runs between tries. False when no lock can be had at all (no writable
    // runtime folder): then there is nothing to wait for.
    bool lock(const std::function<void()>& idle);
    void unlock();

private:
    QLockFile file_;
};

} // namespace tones
