// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Station settings": the uplink output the tones go to and how the
// transmitter is keyed. Laid out in stationdialog.ui. Shows the settings it is
// given; settings() is what the operator chose. Its "Key for 1 s" button asks
// for a keying test (keyTestRequested) whose outcome comes back through
// showKeyTestResult().

#include "tones/station.h"

#include <QDialog>
#include <QList>
#include <memory>

namespace Ui {
class StationDialog;
}

namespace ui {

class StationDialog final : public QDialog {
    Q_OBJECT
public:
    // One entry of a list to choose from: what is stored, and what is shown.
    struct Choice {
        QString value;
        QString label;
    };

    // `rigModels` are Hamlib's models (by number). The sound server's outputs
    // (by sink name) come later, through showOutputs(): asking a server that
    // does not answer takes seconds.
    StationDialog(const tones::StationSettings& current, const QList<Choice>& rigModels,
                  QWidget* parent = nullptr);
    ~StationDialog() override;

    tones::StationSettings settings() const;
    const Ui::StationDialog& form() const { return *form_; }

public slots:
    // The sound server's outputs now, or why there are none. The output chosen
    // stays chosen; one chosen before and not there now is marked so.
    void showOutputs(const QList<Choice>& outputs, const QString& error);
    // The keying test has ended: empty when the transmitter was keyed and
    // released, else why not.
    void showKeyTestResult(const QString& error);

signals:
    // Key the transmitter as `station` says for a second, without sound.
    void keyTestRequested(const tones::StationSettings& station);

private:
    void showTransmitterFields();

    std::unique_ptr<Ui::StationDialog> form_;
    int rigModel_;
};

} // namespace ui
