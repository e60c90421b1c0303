// The window and mouthkey-convert must give the same document for the same
// file and choices: both share the reader and the core, and this keeps it so.
#include "AppTestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QStringEncoder>

using namespace mouthkey;
using namespace mouthkey::testing;

class CrossCheckTest : public QObject {
    Q_OBJECT

private slots:
    void windowAndConverterAgree_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("rate");

        const QByteArray hello = test::readSample("hello-world-24fps.dat");
        const QByteArray crlf = test::readSample("good-morning-25fps-crlf.dat");
        const QByteArray every = test::readSample("every-phoneme.dat");
        QStringEncoder toUtf16(QStringConverter::Utf16BE, QStringConverter::Flag::WriteBom);
        const QByteArray utf16 = toUtf16.encode(QString::fromUtf8(every));

        QTest::newRow("hello, Preston Blair, 24") << hello << 0 << 0;
        QTest::newRow("CR LF, Adobe Character Animator, 25") << crlf << 3 << 3;
        QTest::newRow("every phoneme, Full Set, 59.97") << every << 4 << 9;
        QTest::newRow("every phoneme, PowerHouse, 29.97") << every << 1 << 1;
        QTest::newRow("UTF-16 with BOM, Simplified Flash, 8") << utf16 << 2 << 6;
        QTest::newRow("header only, Full Set, 60") << QByteArray("MohoSwitch1\n") << 4 << 7;
        QTest::newRow("separators and Kelvin, PowerHouse, 12")
            << QByteArray("h\xE2\x80\xA8"
                          "1 \xE2\x84\xAA\xC2\x85"
                          "2  rest \v3\tAI\f4 ai")
            << 1 << 5;
    }

    void windowAndConverterAgree() {
        QFETCH(QByteArray, file);
        QFETCH(int, set);
        QFETCH(int, rate);

        AppUnderTest app;
        const QString path = app.writeFile(QStringLiteral("take.dat"), file);
        app.openPath(path);
        app.vc().pset()->setCurrentIndex(set);
        app.vc().frames()->setCurrentIndex(rate);
        app.vc().go();
        const QByteArray fromWindow = QGuiApplication::clipboard()->text().toUtf8();

        QProcess convert;
        convert.start(QStringLiteral(MOUTHKEY_CONVERT),
                      {QStringLiteral("--set"), QString::number(set), QStringLiteral("--fps"),
                       app.vc().frames()->currentText(), path});
        QVERIFY(convert.waitForFinished(60000));
        QCOMPARE(convert.exitCode(), 0);
        QCOMPARE(convert.readAllStandardOutput(), fromWindow);
    }
};

QTEST_MAIN(CrossCheckTest)
#include "CrossCheckTest.moc"
