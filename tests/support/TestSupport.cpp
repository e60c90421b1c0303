#include "TestSupport.h"

#include <QFile>

namespace mouthkey::test {

bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

QString samplePath(const char* name) {
    return QStringLiteral(MOUTHKEY_SAMPLES_DIR "/") + QString::fromLatin1(name);
}

QByteArray readSample(const char* name) {
    QFile file(samplePath(name));
    if (!file.open(QIODevice::ReadOnly)) {
        qFatal("missing sample %s", name); // the checkout is broken, not the code
    }
    return file.readAll();
}

QByteArray bytes(std::string_view s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace mouthkey::test
