#pragma once

#include "TestSupport.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string>

namespace mouthkey::test {

struct ConverterRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the built mouthkey-convert with the arguments, feeding it stdinBytes.
ConverterRun runConverter(const QStringList& arguments, const QByteArray& stdinBytes = {});

// Runs a bash command line with the converter's path as $0.
ConverterRun runShell(const QString& script, const QStringList& arguments = {});

// The document the window would put on the clipboard for this text and choices.
QByteArray windowDocument(const QByteArray& text, int setIndex, int rateIndex);

} // namespace mouthkey::test
