// SPDX-License-Identifier: GPL-3.0-or-later
#include "tones/transmitter.h"

#include <QMutex>
#include <algorithm>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <hamlib/rig.h>
#include <mutex>

namespace tones {

Q_LOGGING_CATEGORY(lcPtt, "dialer.ptt", QtWarningMsg)

namespace {

// Hamlib's table of rig models is filled as backends are first used: rig_init
// on the dialer's thread and the listing for a settings dialog must not fill it
// at once.
QMutex& hamlibRegistry() {
    static QMutex mutex;
    return mutex;
}

int hamlibChatter(enum rig_debug_level_e /*level*/, rig_ptr_t /*data*/, const char* format,
                  va_list args) {
    char line[1024];
    std::vsnprintf(line, sizeof line, format, args);
    qCDebug(lcPtt).noquote() << QString::fromLocal8Bit(line).trimmed();
    return 0;
}

// Hamlib writes its tracing to stderr unless told otherwise: here it goes to
// the category, at debug level, and is only made when that is wanted.
void quietHamlib() {
    static std::once_flag once;
    std::call_once(once, [] {
        rig_set_debug_callback(&hamlibChatter, nullptr);
        rig_set_debug(lcPtt().isDebugEnabled() ? RIG_DEBUG_VERBOSE : RIG_DEBUG_NONE);
    });
}

// Hamlib's text for one of its error codes.
QString hamlibReason(int code) {
    const char* text = rigerror2(code);
    return text != nullptr ? QString::fromLocal8Bit(text).trimmed()
                           : QStringLiteral("Hamlib error %1").arg(code);
}

class HamlibTransmitter final : public Transmitter {
public:
    HamlibTransmitter() {
        // rig_open switches LC_NUMERIC to "C" and back, and goes back by a
        // name that the switch has freed (Hamlib 4.5): with "C" set already,
        // nothing is freed. Qt writes numbers through QLocale, not the C
        // library's locale. Set here, on the thread that makes the dialer,
        // before any dial runs.
        std::setlocale(LC_NUMERIC, "C");
    }
    ~HamlibTransmitter() override { close(); }
    HamlibTransmitter(const HamlibTransmitter&) = delete;
    HamlibTransmitter& operator=(const HamlibTransmitter&) = delete;

    bool open(const PttSettings& ptt) override;
    bool setKeyed(bool keyed) override;
    void close() override;
    QString errorString() const override { return error_; }

private:
    // Notes why, "call: reason (rig)", logs it and returns false.
    bool fail(const QString& call, const QString& reason);

    RIG* rig_ = nullptr;
    bool opened_ = false;
    QString rigName_; // the rig as the operator set it up, for the messages
    QString error_;
};

bool HamlibTransmitter::open(const PttSettings& ptt) {
    close();
    quietHamlib();
    rigName_ = QStringLiteral("Hamlib rig model %1").arg(ptt.rigModel);
    for (const QString& file : {ptt.rigFile, ptt.pttFile}) {
        if (!file.isEmpty()) {
            rigName_ += QStringLiteral(", ") + file;
        }
    }
    {
        const QMutexLocker locker(&hamlibRegistry());
        rig_ = rig_init(rig_model_t(ptt.rigModel));
    }
    if (rig_ == nullptr) {
        return fail(QStringLiteral("rig_init"), QStringLiteral("no such rig model"));
    }
    const std::pair<const char*, QString> settings[] = {
        {"rig_pathname", ptt.rigFile}, {"ptt_type", ptt.type}, {"ptt_pathname", ptt.pttFile}};
    for (const auto& [name, value] : settings) {
        if (value.isEmpty()) {
            continue;
        }
        const int code =
            rig_set_conf(rig_, rig_token_lookup(rig_, name), value.toLocal8Bit().constData());
        if (code != RIG_OK) {
            return fail(QStringLiteral("rig_set_conf %1=%2").arg(QLatin1String(name), value),
                        hamlibReason(code));
        }
    }
    if (const int code = rig_open(rig_); code != RIG_OK) {
        return fail(QStringLiteral("rig_open"), hamlibReason(code));
    }
    opened_ = true;
    return true;
}

bool HamlibTransmitter::setKeyed(bool keyed) {
    const QString call =
        keyed ? QStringLiteral("rig_set_ptt on") : QStringLiteral("rig_set_ptt off");
    if (!opened_) {
        return fail(call, QStringLiteral("the rig is not open"));
    }
    const int code = rig_set_ptt(rig_, RIG_VFO_CURR, keyed ? RIG_PTT_ON : RIG_PTT_OFF);
    return code == RIG_OK || fail(call, hamlibReason(code));
}

void HamlibTransmitter::close() {
    if (rig_ == nullptr) {
        return;
    }
    if (opened_) {
        rig_close(rig_);
    }
    rig_cleanup(rig_);
    rig_ = nullptr;
    opened_ = false;
}

bool HamlibTransmitter::fail(const QString& call, const QString& reason) {
    error_ = QStringLiteral("%1: %2 (%3)").arg(call, reason, rigName_);
    qCWarning(lcPtt).noquote() << error_;
    if (!opened_) {
        close(); // nothing half set up is kept
    }
    return false;
}

int addModel(const struct rig_caps* caps, rig_ptr_t models) {
    static_cast<QList<RigModelInfo>*>(models)->append({int(caps->rig_model),
                                                       QString::fromUtf8(caps->mfg_name),
                                                       QString::fromUtf8(caps->model_name)});
    return 1; // on to the next
}

} // namespace

std::unique_ptr<Transmitter> makeHamlibTransmitter() {
    return std::make_unique<HamlibTransmitter>();
}

QList<RigModelInfo> rigModels() {
    quietHamlib();
    QList<RigModelInfo> models;
    {
        const QMutexLocker locker(&hamlibRegistry());
        rig_load_all_backends();
        rig_list_foreach(&addModel, &models);
    }
    std::sort(models.begin(), models.end(), [](const RigModelInfo& a, const RigModelInfo& b) {
        if (const int maker = a.maker.compare(b.maker, Qt::CaseInsensitive); maker != 0) {
            return maker < 0;
        }
        if (const int name = a.name.compare(b.name, Qt::CaseInsensitive); name != 0) {
            return name < 0;
        }
        return a.model < b.model;
    });
    return models;
}

} // namespace tones
