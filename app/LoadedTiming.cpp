#include "app/LoadedTiming.h"

#include "app/LocaleNumbers.h"
#include "conversion/KeyframeDocument.h"
#include "conversion/MappingTables.h"
#include "textinput/Utf8Text.h"

#include <QStringList>

namespace mouthkey {

void readAgain(LoadedTiming& loaded, std::string_view datText, const FrameRate& rate) {
    if (loaded.take) {
        if (!loaded.edited) {
            loaded.cues = takeCues(*loaded.take, loaded.voice, framesPerSecond(rate));
            if (loaded.cleanUp.any()) {
                CleanUpRules rules = loaded.cleanUp;
                rules.letters = loaded.take->letters;
                loaded.cues = mouthkey::cleanUp(loaded.cues, rules).cues;
            }
        }
        loaded.report = checkCues(*loaded.take, loaded.cues, rate);
        loaded.track = KeyframeTrack::fromCues(loaded.cues, loaded.letters);
    } else {
        loaded.report = checkTimingText(datText, loaded.letters);
        loaded.track = KeyframeTrack::fromText(datText, loaded.letters);
    }
}

QString readingNotice(const LoadedTiming& loaded) {
    if (!loaded.take) {
        return {};
    }
    const Take& take = *loaded.take;
    if (loaded.timedFromSound) {
        return QStringLiteral("its frames follow the frame rate");
    }
    QString text = toQString(loaded.format->title);
    if (take.timedInSeconds()) {
        return text + QStringLiteral(", timed in seconds: its frames follow the frame rate");
    }
    if (!take.framesPerSecondText.empty()) {
        text += QStringLiteral(" at %1 fps").arg(toQString(take.framesPerSecondText));
    }
    if (take.voices.size() > 1) {
        text += QStringLiteral(", voice '%1' (%2 of %3)")
                    .arg(toQString(take.voices[loaded.voice].name))
                    .arg(localeNumber(loaded.voice + 1), localeNumber(take.voices.size()));
    }
    return text;
}

namespace {

QString counted(std::uint64_t n, const QString& one, const QString& many) {
    return QStringLiteral("%1 %2").arg(localeNumber(n), n == 1 ? one : many);
}

} // namespace

ConvertMessage convertStatus(const ConvertFacts& facts, const std::optional<LoadedTiming>& loaded) {
    const QString choices =
        QStringLiteral("(%1%2, %3 fps%4)")
            .arg(toQString(phonemeSetTitle(facts.setIndex)),
                 loaded && loaded->letters ? QStringLiteral(", letter mouth shapes") : QString(),
                 toQString(facts.rate.title()),
                 facts.target == defaultTarget
                     ? QString()
                     : QStringLiteral(", ") + toQString(targetTitle(facts.target)));
    if (!loaded) {
        // The empty document still goes on the clipboard, but never unannounced.
        return {
            QStringLiteral("No timing file loaded: copied an empty keyframe list %1").arg(choices),
            true};
    }

    const auto keyframes = static_cast<std::uint64_t>(facts.keyframes);
    // The cues and the steps that hold them are told apart.
    const QString copied =
        facts.holdSteps
            ? QStringLiteral("%1 and %2")
                  .arg(counted(keyframes - *facts.holdSteps, QStringLiteral("key"),
                               QStringLiteral("keys")),
                       counted(*facts.holdSteps, QStringLiteral("hold step"),
                               QStringLiteral("hold steps")))
            : counted(keyframes, QStringLiteral("keyframe"), QStringLiteral("keyframes"));
    QString from = loaded->source;
    if (loaded->take && loaded->take->voices.size() > 1) {
        from +=
            QStringLiteral(", voice '%1'").arg(toQString(loaded->take->voices[loaded->voice].name));
    }
    if (facts.unsaved) {
        from += QStringLiteral(", edited, not saved");
    }
    QString text = QStringLiteral("Copied %1 from %2 %3").arg(copied, from, choices);
    QStringList found;
    qsizetype others = 0;
    for (const Finding& f : facts.findings) {
        if (f.kind == Finding::Kind::NoKeyframes) {
            found << QStringLiteral("the file has no keyframes");
        } else if (f.kind == Finding::Kind::EmptyFile) {
            found << QStringLiteral("the file is empty");
        } else if (f.kind == Finding::Kind::KeyframeDocument) {
            found << QStringLiteral("the file is a keyframe document, not a timing file");
        } else if (f.kind != Finding::Kind::UnknownPhoneme &&
                   f.kind != Finding::Kind::OtherUnknownPhonemes && !isAdvice(f.kind)) {
            ++others;
        }
    }
    if (const std::uint64_t unknown = unknownNameLines(facts.findings)) {
        found.prepend(
            unknown == 1
                ? QStringLiteral("1 line has an unknown name")
                : QStringLiteral("%1 lines have unknown names").arg(localeNumber(unknown)));
    }
    if (others > 0) {
        found << QStringLiteral("%1 %2 to check")
                     .arg(localeNumber(static_cast<std::uint64_t>(others)),
                          found.isEmpty() ? (others == 1 ? QStringLiteral("finding")
                                                         : QStringLiteral("findings"))
                                          : (others == 1 ? QStringLiteral("more finding")
                                                         : QStringLiteral("more findings")));
    }
    for (const QString& clause : found) {
        text += QStringLiteral("; ") + clause;
    }
    return {text, !found.isEmpty()};
}

} // namespace mouthkey
