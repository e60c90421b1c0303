#include "ConverterProcess.h"

#include "conversion/DataLineConversion.h"
#include "conversion/KeyframeDocument.h"
#include "conversion/MappingTables.h"

#include <QFile>
#include <QProcess>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace mouthkey::test {

namespace {

ConverterRun run(QProcess& process, const QByteArray& stdinBytes) {
    process.start();
    if (!process.waitForStarted()) {
        return {};
    }
    process.write(stdinBytes);
    process.closeWriteChannel();
    process.waitForFinished(120000);
    ConverterRun result;
    if (process.exitStatus() == QProcess::NormalExit) {
        result.exitCode = process.exitCode();
    }
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

} // namespace

ConverterRun runConverter(const QStringList& arguments, const QByteArray& stdinBytes) {
    QProcess process;
    process.setProgram(QStringLiteral(MOUTHKEY_CONVERT));
    process.setArguments(arguments);
    return run(process, stdinBytes);
}

ConverterRun runShell(const QString& script, const QStringList& arguments) {
    QProcess process;
    process.setProgram(QStringLiteral("bash"));
    process.setArguments(
        QStringList{QStringLiteral("-c"), script, QStringLiteral(MOUTHKEY_CONVERT)} + arguments);
    return run(process, {});
}

bool hardLink(const QString& target, const QString& link) {
#ifdef Q_OS_UNIX
    return ::link(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0;
#else
    Q_UNUSED(target);
    Q_UNUSED(link);
    return false;
#endif
}

QByteArray windowDocument(const QByteArray& text, int setIndex, int rateIndex) {
    return documentAtRate(text, setIndex, frameRateTitle(rateIndex));
}

QByteArray documentAtRate(const QByteArray& text, int setIndex, std::string_view rate) {
    const std::string_view view(text.constData(), static_cast<std::size_t>(text.size()));
    return bytes(assembleDocument(headertop, std::string("\tUnits Per Second\t").append(rate),
                                  headerbottom, convertDataLines(view, buildMapping(setIndex)),
                                  footer));
}

} // namespace mouthkey::test
