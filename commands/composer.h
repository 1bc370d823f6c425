#pragma once
// Turns a press of a command button into the command string, shows it in the
// last-sent display and hands it to the tone player. Every command leaves
// through here.

#include <QString>
#include <functional>

namespace commands {

// Reads and writes the window's controls by name.
class ControlAccess {
public:
    virtual ~ControlAccess() = default;
    virtual QString text(QStringView control) const = 0;
    virtual void setText(QStringView control, const QString& text) = 0;
};

class Composer {
public:
    using Builder = std::function<QString()>;
    using Dial = std::function<void(const QString&)>;

    Composer(ControlAccess& controls, Dial playCommandTones, Builder buildElementsCommand,
             Builder buildTimeCommand);

    // The click handler of the command button array.
    void SendCommand(qint16 index);

    // The string a press of `index` would send now; empty for an unknown index.
    QString ComposeCommand(qint16 index) const;

private:
    ControlAccess& controls_;
    Dial playCommandTones_;
    Builder buildElementsCommand_;
    Builder buildTimeCommand_;
};

inline constexpr QStringView kLastSentBox = u"Text11";
inline constexpr QStringView kLastSentPrefix = u"last sent: ";

} // namespace commands
