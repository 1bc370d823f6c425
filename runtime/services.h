#pragma once
// Small interfaces over the platform services that the dialer's logic uses, so
// that the logic can be exercised without a screen, a sound card or a real clock.

#include "runtime/dates.h"

#include <QString>

namespace rt {

// The modal warning box: an exclamation icon, the text, the title and one OK
// button. Returns when the operator has closed it.
class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    virtual void showWarning(const QString& text, const QString& title) = 0;
};

// The computer's local clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime localNow() const = 0;
};

class SystemClock final : public Clock {
public:
    DateTime localNow() const override { return Naive(QDateTime::currentDateTime()); }
};

// The folder that holds the running executable, symbolic links resolved.
QString ProgramFolder();

} // namespace rt
