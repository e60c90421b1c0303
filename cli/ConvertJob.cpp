#include "cli/ConvertJob.h"

#include "cli/DocumentOutput.h"
#include "conversion/DocumentWriter.h"
#include "textinput/FileBytes.h"
#include "textinput/TextDecoding.h"
#include "textinput/Utf8Text.h"

#include <QThread>

#include <algorithm>
#include <memory>

namespace mouthkey {

namespace {

// Below this a second thread costs more than the checks it would take over.
constexpr std::size_t checkAlongsideFrom = 4 << 20;

ConversionResult checkOnly(const QByteArray& bytes, bool letters) {
    ConversionResult result;
    TimingChecker checker(letters);
    result.error = decodeToUtf8Chunks(
        bytes, [&](std::string_view text) { checker.feed(text); }, &result.guess);
    result.report = checker.finish();
    return result;
}

} // namespace

StagedConversion stageConversion(const ConvertRequest& request, const SharedSync* sharedSync) {
    using Checks = ConvertRequest::Checks;
    // The whole input is read before the output is touched, so converting a
    // file onto itself is safe.
    const FileBytes in = request.input ? readFileBytes(*request.input, SourceKinds::FilesAndPipes)
                                       : readStandardInput();
    if (in.error) {
        return {{in.error, {}, false}, nullptr};
    }
    // A strict run must know the findings before anything is written.
    if (request.checks == Checks::Only || request.checks == Checks::Strict) {
        ConversionResult checked = checkOnly(in.bytes, request.letters);
        if (checked.error || request.checks == Checks::Only) {
            return {checked, nullptr};
        }
        if (!checked.report.findings.empty()) {
            checked.refused = true;
            return {checked, nullptr};
        }
    }

    auto output = std::make_unique<DocumentOutput>(request.output, sharedSync);
    DocumentOutput& out = *output;
    if (auto error = out.open()) {
        return {{error, {}, false}, nullptr};
    }
    // Large chunks keep the number of write calls small on big files. A small
    // file's document, a few times its size, fits a smaller buffer: clearing
    // 1 MiB for each of hundreds of small files costs more than converting them.
    const std::size_t outputChunkSize =
        std::clamp<std::size_t>(4 * static_cast<std::size_t>(in.bytes.size()), 64 << 10, 1 << 20);
    ConversionResult result;
    // Quiet warnings would be thrown away, so they are not looked for.
    const bool checking = !request.quiet;
    TimingChecker checker(request.letters);
    DocumentWriter writer(
        buildMapping(request.setIndex, request.letters), request.rate,
        [&out](std::string_view chunk) { out.write(chunk); }, outputChunkSize);
    // Each decoded chunk is checked while it is converted: on a second thread
    // when it is large (a UTF-8 file arrives as one chunk), so that the checks
    // take no time of their own.
    const auto convert = [&](std::string_view text) {
        if (!checking || text.size() < checkAlongsideFrom) {
            if (checking) {
                checker.feed(text);
            }
            writer.feed(text);
            return;
        }
        const std::unique_ptr<QThread> checks(QThread::create([&] { checker.feed(text); }));
        checks->start();
        writer.feed(text);
        checks->wait();
    };
    result.error = decodeToUtf8Chunks(in.bytes, convert, &result.guess);
    if (result.error) {
        return {result, nullptr};
    }
    writer.finish();
    if (checking) {
        result.report = checker.finish();
    }
    result.error = out.commit();
    if (result.error || !out.awaitsPlace()) {
        return {result, nullptr};
    }
    return {result, std::move(output)};
}

ConversionResult runConversion(const ConvertRequest& request) {
    return stageConversion(request, nullptr).result;
}

QString inputName(const ConvertRequest& request) {
    return request.input ? QStringLiteral("'%1'").arg(*request.input)
                         : QStringLiteral("standard input");
}

QString describeFailure(const IoError& error, const ConvertRequest& request) {
    return error.describe(error.kind == IoError::Kind::Unwritable ? request.output : request.input);
}

QStringList messageLines(const ConversionResult& result, const ConvertRequest& request) {
    if (result.error) {
        return {describeFailure(*result.error, request)};
    }
    QStringList lines;
    const QString name = inputName(request);
    const auto& findings = result.report.findings;
    if (!request.quiet) {
        if (result.guess != EncodingGuess::None) {
            lines << QStringLiteral("note: ") + name + QStringLiteral(": ") +
                         encodingGuessNotice(result.guess);
        }
        for (const Finding& finding : findings) {
            lines << QStringLiteral("warning: ") + name + QStringLiteral(": ") +
                         describeFinding(finding);
        }
    }
    if (result.refused) {
        lines << QStringLiteral("%1 was not converted: its checks found %2 (--strict)")
                     .arg(name, findings.size() == 1
                                    ? QStringLiteral("1 problem")
                                    : QStringLiteral("%1 problems").arg(findings.size()));
    }
    return lines;
}

QString describeFinding(const Finding& finding) {
    const std::string hint = findingHint(finding);
    const QString how = finding.kind == Finding::Kind::LetterMouthShapes
                            ? QStringLiteral(", with --letters")
                            : QString();
    return toQString(findingText(finding)) +
           (hint.empty() ? QString() : QStringLiteral("; ") + toQString(hint) + how);
}

} // namespace mouthkey
