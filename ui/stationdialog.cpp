// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/stationdialog.h"

#include "ui_stationdialog.h"

#include <QCompleter>
#include <QRegularExpression>

namespace ui {

StationDialog::StationDialog(const tones::StationSettings& current, const QList<Choice>& rigModels,
                             QWidget* parent)
    : QDialog(parent), form_(std::make_unique<Ui::StationDialog>()),
      rigModel_(current.ptt.rigModel) {
    form_->setupUi(this);

    QComboBox& output = *form_->outputChoice;
    output.addItem(tr("Default output"), QString());
    if (!current.output.isEmpty()) {
        output.addItem(tr("%1 (looking for it...)").arg(current.output), current.output);
        output.setCurrentIndex(1);
    }

    form_->pttTypeChoice->addItems(tones::kPttTypes);
    form_->pttTypeChoice->setCurrentText(current.ptt.type);

    // The models are found by any part of their maker, name or number.
    QComboBox& model = *form_->rigModelChoice;
    for (const Choice& choice : rigModels) {
        model.addItem(choice.label, choice.value.toInt());
    }
    model.completer()->setFilterMode(Qt::MatchContains);
    model.completer()->setCompletionMode(QCompleter::PopupCompletion);
    if (const int index = model.findData(current.ptt.rigModel); index >= 0) {
        model.setCurrentIndex(index);
    } else {
        model.setEditText(QString::number(current.ptt.rigModel));
    }

    form_->rigFileEdit->setText(current.ptt.rigFile);
    form_->pttFileEdit->setText(current.ptt.pttFile);
    form_->leadSpin->setValue(current.ptt.leadMs);
    form_->tailSpin->setValue(current.ptt.tailMs);

    connect(form_->pttTypeChoice, &QComboBox::currentTextChanged, this,
            &StationDialog::showTransmitterFields);
    showTransmitterFields();
    connect(form_->keyTestButton, &QPushButton::clicked, this, [this] {
        form_->keyTestButton->setEnabled(false);
        form_->keyTestResult->setText(tr("Keyed..."));
        emit keyTestRequested(settings());
    });
}

StationDialog::~StationDialog() = default;

void StationDialog::showTransmitterFields() {
    const bool keys = settings().ptt.keys();
    for (QWidget* field :
         {static_cast<QWidget*>(form_->rigModelChoice), static_cast<QWidget*>(form_->rigFileEdit),
          static_cast<QWidget*>(form_->pttFileEdit), static_cast<QWidget*>(form_->leadSpin),
          static_cast<QWidget*>(form_->tailSpin), static_cast<QWidget*>(form_->keyTestButton)}) {
        field->setEnabled(keys);
    }
}

tones::StationSettings StationDialog::settings() const {
    tones::StationSettings station;
    station.output = form_->outputChoice->currentData().toString();
    tones::PttSettings& ptt = station.ptt;
    ptt.type = form_->pttTypeChoice->currentText();
    // The model shown, else a number typed, else the model given.
    const QComboBox& model = *form_->rigModelChoice;
    const int index = model.findText(model.currentText());
    const QRegularExpressionMatch number =
        QRegularExpression(QStringLiteral("^\\s*(\\d+)\\s*$")).match(model.currentText());
    ptt.rigModel = index >= 0          ? model.itemData(index).toInt()
                   : number.hasMatch() ? number.captured(1).toInt()
                                       : rigModel_;
    ptt.rigFile = form_->rigFileEdit->text().trimmed();
    ptt.pttFile = form_->pttFileEdit->text().trimmed();
    ptt.leadMs = form_->leadSpin->value();
    ptt.tailMs = form_->tailSpin->value();
    return station;
}

void StationDialog::showOutputs(const QList<Choice>& outputs, const QString& error) {
    QComboBox& output = *form_->outputChoice;
    const QString chosen = output.currentData().toString();
    while (output.count() > 1) {
        output.removeItem(1);
    }
    for (const Choice& choice : outputs) {
        output.addItem(choice.label, choice.value);
    }
    int index = output.findData(chosen);
    if (index < 0) {
        index = output.count();
        output.addItem(error.isEmpty() ? tr("%1 (not there now)").arg(chosen)
                                       : tr("%1 (not listed: %2)").arg(chosen, error),
                       chosen);
    }
    output.setCurrentIndex(index);
}

void StationDialog::showKeyTestResult(const QString& error) {
    form_->keyTestButton->setEnabled(settings().ptt.keys());
    form_->keyTestResult->setText(error.isEmpty() ? tr("Keyed and released.") : error);
}

} // namespace ui
