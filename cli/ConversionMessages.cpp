// What a conversion tells the user: its notes, warnings and failures, each
// as one line after the input's name.
#include "cli/ConvertJob.h"

#include "conversion/FindingText.h"
#include "textinput/Utf8Text.h"

#include <algorithm>

namespace mouthkey {

QString readingText(const ConversionResult& result) {
    if (!result.soundReading.isEmpty()) {
        return result.soundReading;
    }
    QString text = toQString(result.format->title);
    if (result.voices.size() > 1) {
        text += QStringLiteral(", voice '%1' (%2 of %3)")
                    .arg(result.voices[static_cast<qsizetype>(result.voice)])
                    .arg(result.voice + 1)
                    .arg(result.voices.size());
    }
    return text;
}

ExitCode exitCodeOf(const ConversionResult& result) {
    if (result.error && result.error->kind == IoError::Kind::NotInstalled) {
        return ExitCode::UsageError;
    }
    return result.error || result.refused ? ExitCode::FileError : ExitCode::Success;
}

QString inputName(const ConvertRequest& request) {
    return request.input ? QStringLiteral("'%1'").arg(*request.input)
                         : QStringLiteral("standard input");
}

QString describeFailure(const IoError& error, const ConvertRequest& request) {
    return error.describe(error.kind == IoError::Kind::Unwritable ? request.output : request.input);
}

QString describeFailure(const ConversionResult& result, const ConvertRequest& request) {
    return result.chartFailed ? result.error->describe(result.chartFile)
                              : describeFailure(*result.error, request);
}

QStringList messageLines(const ConversionResult& result, const ConvertRequest& request) {
    if (result.error) {
        return {describeFailure(result, request)};
    }
    QStringList lines;
    const QString name = inputName(request);
    const auto& findings = result.report.findings;
    const std::size_t problems = problemCount(findings) + problemCount(result.chartFindings);
    if (!request.quiet) {
        if (result.guess != EncodingGuess::None) {
            lines << QStringLiteral("note: ") + name + QStringLiteral(": ") +
                         encodingGuessNotice(result.guess);
        }
        if (result.voices.size() > 1 && !request.voice) {
            lines << QStringLiteral("note: %1: read as %2; --voice chooses another")
                         .arg(name, readingText(result));
        }
        if (result.chartBeside) {
            lines << QStringLiteral("note: %1: drawings as the mouth chart '%2' beside it lists "
                                    "them; --chart chooses another")
                         .arg(name, *result.chartFile);
        }
        for (const QString& note : result.soundNotes) {
            lines << QStringLiteral("note: ") + name + QStringLiteral(": ") + note;
        }
        for (const QString& note : cleanUpNotes(result.cleaned, result.cleanUp)) {
            lines << QStringLiteral("note: ") + name + QStringLiteral(": ") + note;
        }
        for (const Finding& finding : result.chartFindings) {
            lines << QStringLiteral("warning: '%1': ").arg(*result.chartFile) +
                         describeFinding(finding, false);
        }
        for (const Finding& finding : findings) {
            lines << (isAdvice(finding.kind) ? QStringLiteral("note: ")
                                             : QStringLiteral("warning: ")) +
                         name + QStringLiteral(": ") + describeFinding(finding);
        }
    }
    if (result.refused) {
        lines << QStringLiteral("%1 was not converted: its checks found %2 (--strict)")
                     .arg(name, problems == 1 ? QStringLiteral("1 problem")
                                              : QStringLiteral("%1 problems").arg(problems));
    }
    return lines;
}

QStringList cleanUpNotes(const CleanUpEffects& effects, const CleanUpRules& rules) {
    const auto count = [](std::uint64_t n, const char* one, const char* many) {
        return toQString(NumberFormat().whole(n)) + QLatin1Char(' ') +
               QLatin1String(n == 1 ? one : many);
    };
    const auto note = [&](const RuleEffect& effect, const QString& option, std::uint64_t frames,
                          const char* one, const char* many, const QString& moved) {
        QStringList parts;
        // The first few in line order, whichever the rule dropped first.
        LineSample dropped = effect.dropped;
        const auto shown = std::min<std::uint64_t>(dropped.count, LineSample::kept);
        std::sort(dropped.first.begin(),
                  dropped.first.begin() + static_cast<std::ptrdiff_t>(shown));
        // A take timed from its sound has no lines to name.
        if (effect.dropped.count > 0 && dropped.first[0] == 0) {
            parts << QStringLiteral("%1 dropped by --%2 %3")
                         .arg(count(effect.dropped.count, one, many), option)
                         .arg(frames);
        } else if (effect.dropped.count > 0) {
            parts << QStringLiteral("%1 dropped by --%2 %3 (%4)")
                         .arg(count(effect.dropped.count, one, many), option)
                         .arg(frames)
                         .arg(toQString(linesText(dropped)));
        }
        if (effect.moved > 0) {
            parts << moved;
        }
        return QStringLiteral("clean-up: ") + parts.join(QStringLiteral(", "));
    };
    QStringList notes;
    if (effects.bridged.any()) {
        notes << note(effects.bridged, QStringLiteral("bridge-rests"), rules.bridgeRests, "rest",
                      "rests", {});
    }
    if (effects.held.any()) {
        notes << note(effects.held, QStringLiteral("min-hold"), rules.minHold, "cue", "cues",
                      count(effects.held.moved, "closed mouth", "closed mouths") +
                          QStringLiteral(" moved earlier"));
    }
    if (effects.gridded.any()) {
        const std::uint64_t n = rules.onEvery;
        notes << note(
            effects.gridded, QStringLiteral("on"), n, "cue", "cues",
            count(effects.gridded.moved, "cue", "cues") +
                QStringLiteral(" moved onto frames 1, %1, %2, \u2026").arg(1 + n).arg(1 + 2 * n));
    }
    return notes;
}

QString describeFinding(const Finding& finding, bool withOutcome) {
    const std::string hint = findingHint(finding);
    QString how;
    if (finding.kind == Finding::Kind::LetterMouthShapes) {
        how = QStringLiteral(", with --letters");
    } else if (finding.kind == Finding::Kind::SingleFrameMouths) {
        how = QStringLiteral(" with --min-hold 2");
    }
    return toQString(findingText(finding)) +
           (withOutcome ? QStringLiteral(": ") + toQString(findingOutcome(finding)) : QString()) +
           (hint.empty() ? QString() : QStringLiteral("; ") + toQString(hint) + how);
}

} // namespace mouthkey
