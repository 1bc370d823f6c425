#include "tones/outputs.h"

namespace tones {

std::optional<QList<OutputInfo>> listOutputs(QString* error) {
    if (error != nullptr) {
        *error = QStringLiteral("listing outputs is not built yet");
    }
    return std::nullopt;
}

} // namespace tones
