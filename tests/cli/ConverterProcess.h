#pragma once

#include "TestSupport.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string>
#include <string_view>

namespace mouthkey::test {

struct ConverterRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The line after every usage error.
inline constexpr const char* tryHelp = "Try 'mouthkey-convert --help' for more information.\n";

// Runs the built mouthkey-convert with the arguments, feeding it stdinBytes.
ConverterRun runConverter(const QStringList& arguments, const QByteArray& stdinBytes = {});

// Runs a bash command line with the converter's path as $0.
ConverterRun runShell(const QString& script, const QStringList& arguments = {});

// Gives the file at target a second name; false where that cannot be done.
bool hardLink(const QString& target, const QString& link);

// The document the window would put on the clipboard for this text and choices.
QByteArray windowDocument(const QByteArray& text, int setIndex, int rateIndex);
// The same document for a rate the window does not offer, such as "23.976".
QByteArray documentAtRate(const QByteArray& text, int setIndex, std::string_view rate);

} // namespace mouthkey::test
