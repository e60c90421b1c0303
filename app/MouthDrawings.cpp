#include "app/MouthDrawings.h"

#include "app/NoPositionColor.h"
#include "conversion/MappingTables.h"
#include "textinput/Utf8Text.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>

namespace mouthkey {

namespace {

const QStringList imageSuffixes{
    QStringLiteral("png"),  QStringLiteral("svg"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
    QStringLiteral("webp"), QStringLiteral("bmp"), QStringLiteral("gif"),
};

// A player resized by dragging asks for many sizes; the cache keeps the last ones only.
constexpr qsizetype cacheLimit = 256;

bool isShapeName(const QString& name) {
    return std::any_of(lookupNames.begin(), lookupNames.end(),
                       [&name](std::string_view shape) { return toQString(shape) == name; });
}

QString shapeNames() {
    QStringList names;
    for (const std::string_view name : lookupNames) {
        names << toQString(name);
    }
    return names.join(QStringLiteral(", "));
}

QString sizeKey(const QString& key, QSize size) {
    return QStringLiteral("%1@%2x%3").arg(key).arg(size.width()).arg(size.height());
}

void remember(QHash<QString, QPixmap>& cache, const QString& key, const QPixmap& pixmap) {
    if (cache.size() >= cacheLimit) {
        cache.clear();
    }
    cache.insert(key, pixmap);
}

} // namespace

MouthDrawings::MouthDrawings() {
    for (const std::string_view key : phonemeKeys) {
        const QString name = toQString(key);
        m_builtIn.insert(name, Source{QStringLiteral("built-in/") + name,
                                      {},
                                      std::make_shared<QSvgRenderer>(
                                          QStringLiteral(":/mouths/%1.svg").arg(name))});
    }
}

MouthDrawings::FolderReading MouthDrawings::setFolder(const QString& folder) {
    m_own.clear();
    m_scaled.clear();
    m_folder.clear();
    FolderReading reading;
    if (folder.isEmpty()) {
        return reading;
    }
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable()) {
        reading.problems << QStringLiteral("'%1' is not a folder Mouthkey can read; the built-in "
                                           "drawings are shown")
                                .arg(QDir::toNativeSeparators(folder));
        return reading;
    }
    m_folder = info.absoluteFilePath();

    // By name, so that of two images for one shape the same one always wins.
    const QFileInfoList files = QDir(m_folder).entryInfoList(QDir::Files, QDir::Name);
    QHash<QString, QString> shownFile;
    for (const QFileInfo& file : files) {
        const QString suffix = file.suffix().toLower();
        if (!imageSuffixes.contains(suffix)) {
            continue;
        }
        const QString name = file.completeBaseName();
        if (!isShapeName(name)) {
            reading.problems << QStringLiteral("'%1' is named for no mouth shape; the names are "
                                               "%2, spelled exactly so")
                                    .arg(file.fileName(), shapeNames());
            continue;
        }
        if (const auto first = shownFile.constFind(name); first != shownFile.constEnd()) {
            reading.problems << QStringLiteral("'%1' is a second image for %2; '%3' is shown")
                                    .arg(file.fileName(), name, first.value());
            continue;
        }
        Source source{QStringLiteral("own/") + file.fileName(), {}, nullptr};
        QString why;
        if (suffix == QLatin1String("svg")) {
            source.svg = std::make_shared<QSvgRenderer>(file.absoluteFilePath());
            if (!source.svg->isValid()) {
                why = QStringLiteral("its SVG does not parse");
            }
        } else {
            QImageReader reader(file.absoluteFilePath());
            reader.setAutoTransform(true);
            source.image = reader.read();
            if (source.image.isNull()) {
                why = reader.errorString();
            }
        }
        if (!why.isEmpty()) {
            reading.problems << QStringLiteral("'%1' is not an image Mouthkey can read (%2); the "
                                               "built-in drawing is shown")
                                    .arg(file.fileName(), why);
            continue;
        }
        m_own.insert(name, std::move(source));
        shownFile.insert(name, file.fileName());
    }
    reading.found = static_cast<int>(m_own.size());
    return reading;
}

QString MouthDrawings::folder() const {
    return m_folder;
}

QString MouthDrawings::folderBeside(const QString& timingFile) {
    if (timingFile.isEmpty()) {
        return {};
    }
    const QFileInfo beside(QFileInfo(timingFile).absoluteDir(), QStringLiteral("mouths"));
    return beside.isDir() ? beside.absoluteFilePath() : QString();
}

const MouthDrawings::Source& MouthDrawings::sourceOf(std::string_view name, bool letters) const {
    const int entry = MappingTable::entryIndex(name);
    if (entry < 0) {
        return m_builtIn.find(QStringLiteral("rest")).value();
    }
    const auto index = static_cast<std::size_t>(entry);
    if (const auto own = m_own.constFind(toQString(lookupNames[index])); own != m_own.constEnd()) {
        return own.value();
    }
    // A letter that is no phoneme name is always read by its chart.
    const bool byChart = letters || index >= phonemeKeys.size();
    const QString key =
        toQString(phonemeKeys[static_cast<std::size_t>(byChart ? letterReadings[index] : entry)]);
    if (const auto own = m_own.constFind(key); own != m_own.constEnd()) {
        return own.value();
    }
    return m_builtIn.find(key).value();
}

QPixmap MouthDrawings::scaled(const Source& source, QSize size) const {
    if (size.isEmpty()) {
        return {};
    }
    const QString key = sizeKey(source.key, size);
    if (const auto cached = m_scaled.constFind(key); cached != m_scaled.constEnd()) {
        return cached.value();
    }
    QPixmap pixmap;
    if (source.svg) {
        QSizeF natural = source.svg->viewBoxF().size();
        if (natural.isEmpty()) {
            natural = source.svg->defaultSize();
        }
        const QSize fitted =
            natural.isEmpty()
                ? size
                : natural.scaled(size, Qt::KeepAspectRatio).toSize().expandedTo(QSize(1, 1));
        QImage image(fitted, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        source.svg->render(&painter);
        painter.end();
        pixmap = QPixmap::fromImage(std::move(image));
    } else {
        pixmap = QPixmap::fromImage(
            source.image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    remember(m_scaled, key, pixmap);
    return pixmap;
}

QPixmap MouthDrawings::drawing(std::string_view name, QSize size, bool letters) const {
    return scaled(sourceOf(name, letters), size);
}

QPixmap MouthDrawings::noPosition(QSize size) const {
    const QString key = sizeKey(QStringLiteral("no position"), size);
    if (const auto cached = m_scaled.constFind(key); cached != m_scaled.constEnd()) {
        return cached.value();
    }
    // A copy, so that the plain rest in the cache stays unmarked.
    QPixmap pixmap = scaled(m_builtIn.find(QStringLiteral("rest")).value(), size).copy();
    if (pixmap.isNull()) {
        return pixmap;
    }
    // A struck-through ring over the mouth, as on a "no entry" sign.
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(pixmap.width(), pixmap.height());
    const qreal pen = std::max<qreal>(2, side / 14);
    const QRectF ring =
        QRectF(QPointF(0, 0), QSizeF(side, side) * 0.62)
            .translated(QPointF(pixmap.width(), pixmap.height()) / 2 - QPointF(side, side) * 0.31);
    painter.setPen(QPen(noPositionColor(), pen, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(ring);
    const qreal d = ring.width() / 2 * 0.7071;
    painter.drawLine(ring.center() + QPointF(-d, -d), ring.center() + QPointF(d, d));
    painter.end();
    remember(m_scaled, key, pixmap);
    return pixmap;
}

bool MouthDrawings::hasOwnImage(std::string_view name) const {
    return m_own.contains(toQString(name));
}

} // namespace mouthkey
