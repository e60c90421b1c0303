#pragma once

#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>
#include <string_view>

class QSvgRenderer;

namespace mouthkey {

// The drawings the player shows: the built-in set, or the images of a folder of the user's own,
// with the built-in drawing for any name the folder has no image for. Each drawing is scaled once
// per size asked for, never per frame.
class MouthDrawings {
public:
    MouthDrawings(); // the built-in set only

    struct FolderReading {
        int found = 0;        // names the folder has an image for
        QStringList problems; // e.g. "'AI.png' is not an image Mouthkey can read"
    };
    // Reads a folder of images named by shape: AI.png, MBP.svg, rest.png, ..., and A.png ... X.png
    // (the letter mouth shapes) too; suffixes png, svg, jpg, jpeg, webp, bmp, gif, case-insensitive
    // in the suffix, exact in the name. Images are decoded here, once. An empty path goes back to
    // the built-in set.
    FolderReading setFolder(const QString& folder);
    QString folder() const;
    // The folder named "mouths" beside a timing file, if there is one (else empty).
    static QString folderBeside(const QString& timingFile);

    // The drawing of a name, scaled to fit `size` keeping its aspect ratio (SVGs rendered at that
    // size, so they stay sharp). `name` is a phoneme name (one of phonemeKeys) or a letter A-H, X.
    // Lookup order: the folder's image of that exact name; for a letter, the folder's image of the
    // phoneme its chart maps it to (letterShapes in MappingTables.h); then the built-in drawing of
    // the phoneme (a letter maps by its chart). A name with none of these gets the built-in "rest".
    // "D" and "E" are both phonemes and letters: they are read as letters only with `letters`
    // (the take is read with letter mouth shapes); the other letters always are.
    QPixmap drawing(std::string_view name, QSize size, bool letters = false) const;
    // The drawing for a cue that has no drawing (an unknown name): the built-in "rest" with a clear
    // "no position" mark in the red the timeline preview uses for its no-position ticks.
    QPixmap noPosition(QSize size) const;
    // Whether the folder gave this name its own image.
    bool hasOwnImage(std::string_view name) const;

private:
    // One decoded drawing. An SVG is kept as its renderer so that it is drawn sharp at any size.
    struct Source {
        QString key; // names the drawing in the cache: "own/AI", "built-in/AI"
        QImage image;
        std::shared_ptr<QSvgRenderer> svg;
    };
    const Source& sourceOf(std::string_view name, bool letters) const;
    QPixmap scaled(const Source& source, QSize size) const;

    QString m_folder;
    QHash<QString, Source> m_builtIn;         // by phoneme name
    QHash<QString, Source> m_own;             // by the shape name the folder's file carries
    mutable QHash<QString, QPixmap> m_scaled; // by source key and size
};

} // namespace mouthkey
