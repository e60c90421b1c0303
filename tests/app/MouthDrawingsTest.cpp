#include "app/MouthDrawings.h"
#include "app/NoPositionColor.h"
#include "conversion/MappingTables.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace mouthkey;

namespace {

const QColor aiColour(200, 30, 40);
const QColor aColour(30, 160, 60);
const QColor mbpColour(32, 80, 192);

QImage imageOf(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

QColor centreOf(const QPixmap& pixmap) {
    const QImage image = imageOf(pixmap);
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void writeSolidPng(const QString& path, QSize size, const QColor& colour) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    QVERIFY(image.save(path, "PNG"));
}

// AI.png is 40x20 and MBP.svg 20x10, so that the scaling shows whether it keeps their shape.
void makeFolder(const QString& dir) {
    writeSolidPng(dir + "/AI.png", {40, 20}, aiColour);
    writeSolidPng(dir + "/A.png", {16, 16}, aColour);
    writeFile(dir + "/MBP.svg", R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 20 10">)"
                                R"(<rect width="20" height="10" fill="#2050c0"/></svg>)");
    writeFile(dir + "/E.png", "this is no PNG");
    writeSolidPng(dir + "/ai.png", {8, 8}, Qt::black); // names are exact
    writeFile(dir + "/notes.txt", "not an image, not a problem");
}

} // namespace

class MouthDrawingsTest : public QObject {
    Q_OBJECT

private slots:
    void everyBuiltInDrawingRendersAndDiffers_data() {
        QTest::addColumn<QByteArray>("name");
        for (const std::string_view key : phonemeKeys) {
            QTest::newRow(key.data()) << QByteArray(key.data(), qsizetype(key.size()));
        }
    }
    void everyBuiltInDrawingRendersAndDiffers() {
        QFETCH(QByteArray, name);
        const MouthDrawings drawings;
        for (const QSize size : {QSize(64, 64), QSize(240, 240)}) {
            const QImage image = imageOf(drawings.drawing(name.toStdString(), size));
            QCOMPARE(image.size(), size);
            // Not blank: the mouth's dark line or lips differ from the face around them.
            const QColor face = image.pixelColor(size.width() / 2, size.height() / 8);
            QVERIFY(face.alpha() == 255);
            int other = 0;
            for (int y = size.height() / 3; y < size.height() * 2 / 3; ++y) {
                other += image.pixelColor(size.width() / 2, y) != face ? 1 : 0;
            }
            QVERIFY2(other > size.height() / 30, "no mouth in the middle of the drawing");
            for (const std::string_view key : phonemeKeys) {
                if (key != name.toStdString()) {
                    QVERIFY2(image != imageOf(drawings.drawing(key, size)), key.data());
                }
            }
        }
    }

    void aFolderReportsWhatItCouldNotUse() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        makeFolder(dir.path());
        MouthDrawings drawings;
        const MouthDrawings::FolderReading reading = drawings.setFolder(dir.path());
        QCOMPARE(reading.found, 3);
        QCOMPARE(reading.problems.size(), 2);
        QVERIFY2(reading.problems.filter("'E.png' is not an image").size() == 1,
                 qPrintable(reading.problems.join('\n')));
        QVERIFY(reading.problems.filter("'ai.png' is named for no mouth shape").size() == 1);
        QCOMPARE(drawings.folder(), dir.path());
        QVERIFY(drawings.hasOwnImage("AI") && drawings.hasOwnImage("A"));
        QVERIFY(!drawings.hasOwnImage("E") && !drawings.hasOwnImage("D"));

        // Back to the built-in set, with nothing of the folder's left in the cache.
        QCOMPARE(centreOf(drawings.drawing("AI", {64, 64})), aiColour);
        QVERIFY(drawings.setFolder({}).problems.isEmpty());
        QVERIFY(drawings.folder().isEmpty() && !drawings.hasOwnImage("AI"));
        QCOMPARE(imageOf(drawings.drawing("AI", {64, 64})),
                 imageOf(MouthDrawings().drawing("AI", {64, 64})));

        const MouthDrawings::FolderReading missing = drawings.setFolder(dir.filePath("none"));
        QCOMPARE(missing.found, 0);
        QCOMPARE(missing.problems.size(), 1);
        QVERIFY(drawings.folder().isEmpty());
    }

    void aNameFindsItsDrawing_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("letters");
        QTest::addColumn<QColor>("own");         // the folder image's colour, or invalid:
        QTest::addColumn<QByteArray>("builtIn"); // the built-in drawing shown instead

        QTest::newRow("own image") << QByteArray("AI") << false << aiColour << QByteArray();
        QTest::newRow("own SVG") << QByteArray("MBP") << false << mbpColour << QByteArray();
        QTest::newRow("letter's own image") << QByteArray("A") << true << aColour << QByteArray();
        QTest::newRow("letter D, by its chart")
            << QByteArray("D") << true << aiColour << QByteArray();
        QTest::newRow("phoneme D") << QByteArray("D") << false << QColor() << QByteArray("D");
        QTest::newRow("unreadable image")
            << QByteArray("E") << false << QColor() << QByteArray("E");
        QTest::newRow("letter E, by its chart")
            << QByteArray("E") << true << QColor() << QByteArray("O");
        QTest::newRow("letter G, always by its chart")
            << QByteArray("G") << false << QColor() << QByteArray("FV");
        QTest::newRow("no image") << QByteArray("O") << false << QColor() << QByteArray("O");
        QTest::newRow("wrong case") << QByteArray("ai") << false << QColor() << QByteArray("rest");
        QTest::newRow("unknown name") << QByteArray("zz") << true << QColor() << QByteArray("rest");
        QTest::newRow("kelvin sign")
            << QByteArray("\xE2\x84\xAA") << false << QColor() << QByteArray("K");
    }
    void aNameFindsItsDrawing() {
        QFETCH(QByteArray, name);
        QFETCH(bool, letters);
        QFETCH(QColor, own);
        QFETCH(QByteArray, builtIn);
        QTemporaryDir dir;
        makeFolder(dir.path());
        MouthDrawings drawings;
        drawings.setFolder(dir.path());
        const QPixmap shown = drawings.drawing(name.toStdString(), {64, 64}, letters);
        if (own.isValid()) {
            QCOMPARE(centreOf(shown), own);
        } else {
            QCOMPARE(imageOf(shown),
                     imageOf(MouthDrawings().drawing(builtIn.toStdString(), {64, 64})));
        }
    }

    void theNoPositionDrawingIsMarkedRest() {
        const MouthDrawings drawings;
        const QImage rest = imageOf(drawings.drawing("rest", {64, 64}));
        const QImage marked = imageOf(drawings.noPosition({64, 64}));
        QCOMPARE(marked.size(), rest.size());
        QVERIFY(marked != rest);
        bool red = false;
        for (int i = 0; i < marked.width() && !red; ++i) {
            red = marked.pixelColor(i, i) == noPositionColor(); // the stroke crosses the diagonal
        }
        QVERIFY(red);
        QCOMPARE(imageOf(drawings.drawing("rest", {64, 64})), rest); // the plain one stays plain
    }

    void scalingKeepsTheShapeAndIsDoneOnce_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QSize>("asked");
        QTest::addColumn<QSize>("shown");

        QTest::newRow("wide image, square room")
            << QByteArray("AI") << QSize(100, 100) << QSize(100, 50);
        QTest::newRow("wide image, tall room")
            << QByteArray("AI") << QSize(30, 60) << QSize(30, 15);
        QTest::newRow("wide SVG") << QByteArray("MBP") << QSize(64, 64) << QSize(64, 32);
        QTest::newRow("built-in, wide room") << QByteArray("O") << QSize(100, 50) << QSize(50, 50);
        QTest::newRow("no room") << QByteArray("O") << QSize(0, 50) << QSize();
    }
    void scalingKeepsTheShapeAndIsDoneOnce() {
        QFETCH(QByteArray, name);
        QFETCH(QSize, asked);
        QFETCH(QSize, shown);
        QTemporaryDir dir;
        makeFolder(dir.path());
        MouthDrawings drawings;
        drawings.setFolder(dir.path());
        const QPixmap first = drawings.drawing(name.toStdString(), asked);
        QCOMPARE(first.size(), shown.isValid() ? shown : QSize(0, 0));
        if (!first.isNull()) {
            QCOMPARE(drawings.drawing(name.toStdString(), asked).cacheKey(), first.cacheKey());
            QVERIFY(drawings.drawing(name.toStdString(), asked + QSize(1, 1)).cacheKey() !=
                    first.cacheKey());
        }
    }

    void aFolderBesideATimingFile_data() {
        QTest::addColumn<QString>("made"); // what "mouths" beside the file is
        QTest::addColumn<bool>("found");
        QTest::newRow("a folder") << "folder" << true;
        QTest::newRow("a file") << "file" << false;
        QTest::newRow("nothing") << "" << false;
    }
    void aFolderBesideATimingFile() {
        QFETCH(QString, made);
        QFETCH(bool, found);
        QTemporaryDir dir;
        const QString timing = dir.filePath("take.dat");
        writeFile(timing, "MohoSwitch1\n1 rest\n");
        if (made == "folder") {
            QVERIFY(QDir(dir.path()).mkdir("mouths"));
        } else if (made == "file") {
            writeFile(dir.filePath("mouths"), "");
        }
        QCOMPARE(MouthDrawings::folderBeside(timing), found ? dir.filePath("mouths") : QString());
    }
};

QTEST_MAIN(MouthDrawingsTest)
#include "MouthDrawingsTest.moc"
