#include "cli/Choices.h"

#include "textinput/Utf8Text.h"

#include "conversion/KeyframeDocument.h"
#include "conversion/MappingTables.h"

#include <string_view>

namespace mouthkey {

std::optional<int> findPhonemeSet(QStringView name) {
    for (std::size_t i = 0; i < phonemeSetTitles.size(); ++i) {
        if (name.compare(toQString(phonemeSetTitles[i]), Qt::CaseInsensitive) == 0 ||
            name == QString::number(i)) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

std::optional<int> findFrameRate(QStringView title) {
    for (std::size_t i = 0; i < frameRateTitles.size(); ++i) {
        if (title == toQString(frameRateTitles[i])) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

QString choicesText() {
    QString text = QStringLiteral("Phoneme sets (--set, by title in any case, or by index):\n");
    for (std::size_t i = 0; i < phonemeSetTitles.size(); ++i) {
        text += QStringLiteral("  %1  %2\n").arg(i).arg(toQString(phonemeSetTitles[i]));
    }
    text += QStringLiteral("Frame rates (--fps, by title):\n ");
    for (const auto title : frameRateTitles) {
        text += QLatin1Char(' ') + toQString(title);
    }
    return text + QLatin1Char('\n');
}

} // namespace mouthkey
