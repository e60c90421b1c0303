#include "cli/BatchPlan.h"

#include "cli/SameFile.h"
#include "textinput/SoundFiles.h"
#include "textinput/TimingFormats.h"
#include "textinput/Utf8Text.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace mouthkey {

namespace {

// Two names for the same file in one folder, where the usual file system
// ignores case.
QString sameFileKey(const QString& name) {
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    return name.toCaseFolded();
#else
    return name;
#endif
}

BatchPlan refuse(ExitCode code, QString why) {
    return {{}, std::move(why), code};
}

} // namespace

QString outputNameFor(const QString& input, std::string_view extension) {
    QString name = QFileInfo(input).fileName();
    const QString suffix = QFileInfo(name).suffix();
    if (suffix.size() < name.size() - 1 &&
        (isTimingFileExtension(suffix) || isSoundFileExtension(suffix))) {
        name.chop(suffix.size() + 1);
    }
    return name.isEmpty() ? QString() : name + QLatin1Char('.') + toQString(extension);
}

BatchPlan planBatch(const BatchRequest& request, std::string_view extension) {
    const QDir dir(request.outputDir);
    BatchPlan plan;
    QHash<QString, qsizetype> inputByName;
    for (qsizetype i = 0; i < request.inputs.size(); ++i) {
        const QString& input = request.inputs[i];
        const QString name = outputNameFor(input, extension);
        if (name.isEmpty()) {
            return refuse(ExitCode::UsageError,
                          QStringLiteral("'%1' has no file name to name its output by").arg(input));
        }
        const QString key = sameFileKey(name);
        if (const auto first = inputByName.constFind(key); first != inputByName.cend()) {
            return refuse(ExitCode::UsageError,
                          QStringLiteral("'%1' and '%2' would both be written to '%3'")
                              .arg(request.inputs[*first], input, dir.filePath(name)));
        }
        inputByName.insert(key, i);
        plan.outputs << dir.filePath(name);
    }

    const QFileInfo folder(request.outputDir);
    const auto cannotWrite = [&](const char* reason) {
        return refuse(ExitCode::FileError, QStringLiteral("cannot write into '%1': %2")
                                               .arg(request.outputDir, QLatin1String(reason)));
    };
    if (!folder.exists()) {
        return cannotWrite("No such file or directory");
    }
    if (!folder.isDir()) {
        return cannotWrite("Not a directory");
    }
    if (!folder.isWritable()) {
        return cannotWrite("Permission denied");
    }

    // Only outputs that exist already can be inputs; the others need no look.
    QHash<FileIdentity, qsizetype> existingOutputs;
    for (qsizetype i = 0; i < plan.outputs.size(); ++i) {
        if (const auto output = fileIdentity(plan.outputs[i])) {
            existingOutputs.insert(*output, i);
        }
    }
    if (existingOutputs.isEmpty()) {
        return plan;
    }
    for (qsizetype i = 0; i < request.inputs.size(); ++i) {
        const QString& input = request.inputs[i];
        const auto identity = fileIdentity(input);
        const auto output =
            identity ? existingOutputs.constFind(*identity) : existingOutputs.cend();
        if (output != existingOutputs.cend() && *output == i &&
            QFileInfo(input).absoluteFilePath() == QFileInfo(plan.outputs[i]).absoluteFilePath()) {
            // A file in DIR with its output's name, such as DIR/take.txt.
            return refuse(ExitCode::UsageError,
                          QStringLiteral("'%1' would be its own output in '%2'")
                              .arg(input, request.outputDir));
        }
        if (output != existingOutputs.cend()) {
            return refuse(ExitCode::UsageError,
                          QStringLiteral("writing '%1' for '%2' would replace the input '%3'")
                              .arg(plan.outputs[*output], request.inputs[*output], input));
        }
    }
    return plan;
}

} // namespace mouthkey
