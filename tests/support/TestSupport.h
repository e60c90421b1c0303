#pragma once

#include <QByteArray>
#include <QString>

#include <string_view>

namespace mouthkey::test {

// Writes a whole file; false when it cannot be written.
bool writeFile(const QString& path, const QByteArray& content);

// A whole file, or "(unreadable)", so that a missing file never compares
// equal to an expected text, not even an empty one.
QByteArray readFile(const QString& path);

// The samples shipped in samples/; a missing one stops the test program.
QString samplePath(const char* name);
QByteArray readSample(const char* name);

QByteArray bytes(std::string_view s);

} // namespace mouthkey::test
