#include "RecoveryFile.h"

#include "conversion/Targets.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>

namespace mouthkey {

RecoveryFile::RecoveryFile(std::function<std::string()> cuesText, QObject* parent)
    : QObject(parent), m_cuesText(std::move(cuesText)), m_timer(new QTimer(this)) {
    m_timer->setSingleShot(true);
    m_timer->setInterval(delayMs);
    connect(m_timer, &QTimer::timeout, this, &RecoveryFile::writeNow);
}

void RecoveryFile::setSource(const QString& takePath) {
    m_timer->stop();
    m_path.clear();
    if (takePath.isEmpty()) {
        return;
    }
    // Named by the take's own path, so that opening it again finds them.
    const QByteArray key = QCryptographicHash::hash(QFileInfo(takePath).absoluteFilePath().toUtf8(),
                                                    QCryptographicHash::Sha1);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty()) {
        return;
    }
    m_path = QDir(folder).filePath(
        QStringLiteral("recovery/%1.dat").arg(QString::fromLatin1(key.toHex())));
}

void RecoveryFile::editsChanged() {
    // Not pushed back by later edits: a steady run of them is kept too.
    if (!m_path.isEmpty() && !m_timer->isActive()) {
        m_timer->start();
    }
}

void RecoveryFile::writeNow() {
    m_timer->stop();
    if (m_path.isEmpty() || !QDir().mkpath(QFileInfo(m_path).absolutePath())) {
        return;
    }
    const std::string text = m_cuesText();
    QSaveFile file(m_path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(text.data(), static_cast<qint64>(text.size()));
        file.commit(); // on failure the earlier copy, if any, stays whole
    }
}

void RecoveryFile::remove() {
    m_timer->stop();
    if (!m_path.isEmpty()) {
        QFile::remove(m_path);
    }
}

std::optional<RecoveryFile::Found> RecoveryFile::found() const {
    QFile file(m_path);
    if (m_path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    Found found{
        datCues(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))),
        QFileInfo(file).lastModified()};
    return found;
}

} // namespace mouthkey
