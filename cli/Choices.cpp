#include "cli/Choices.h"

#include "textinput/TimingFormats.h"
#include "textinput/Utf8Text.h"

#include "conversion/KeyframeDocument.h"
#include "conversion/MappingTables.h"
#include "conversion/Targets.h"

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

std::optional<FrameRate> findFrameRate(QStringView text) {
    const QByteArray utf8 = text.toUtf8();
    return FrameRate::fromText(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QString choicesText() {
    QString text = QStringLiteral("Phoneme sets (--set, by title in any case, or by index):\n");
    for (std::size_t i = 0; i < phonemeSetTitles.size(); ++i) {
        text += QStringLiteral("  %1  %2\n").arg(i).arg(toQString(phonemeSetTitles[i]));
    }
    text += QStringLiteral("Frame rates (--fps, by title, or any number from 1 to 1000, such as "
                           "23.976):\n ");
    for (const auto title : frameRateTitles) {
        text += QLatin1Char(' ') + toQString(title);
    }
    text += QStringLiteral("\nTargets (--target):\n");
    for (const Target target : targets) {
        // Padded as the help's own list of targets is.
        text += QStringLiteral("  %1  %2\n")
                    .arg(toQString(targetName(target)), -10)
                    .arg(toQString(targetTitle(target)));
    }
    // The formats a take is written in, as the same option takes them.
    for (const TimingFormat* format : writtenFormats()) {
        text += QStringLiteral("  %1  %2\n")
                    .arg(toQString(format->name), -10)
                    .arg(toQString(format->title));
    }
    return text;
}

} // namespace mouthkey
