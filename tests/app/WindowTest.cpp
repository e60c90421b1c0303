#include "AppTestSupport.h"

#include "app/BusyCursor.h"
#include "app/TimelinePreview.h"
#include "app/WrappingLabel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimer>

using namespace mouthkey;
using namespace mouthkey::testing;

namespace {

QMimeData* urlsData(const QList<QUrl>& urls) {
    auto* mime = new QMimeData;
    mime->setUrls(urls);
    return mime;
}

// Drags the data over the window and, if the window takes it, drops it.
bool dragAndDrop(QWidget& window, const QMimeData& mime) {
    const QPoint at = window.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    return drop.isAccepted();
}

// The texts among which an Alt key must be unambiguous: one menu's items,
// one context menu's, or the window's own (the menu bar's titles and the
// labels and buttons of its controls).
struct MnemonicScope {
    QString name;
    QStringList texts;
};

void addMenuScopes(QMenu& menu, QList<MnemonicScope>& scopes) {
    MnemonicScope scope{QStringLiteral("the menu ") + menu.title(), {}};
    for (QAction* action : menu.actions()) {
        if (!action->isSeparator()) {
            scope.texts << action->text();
        }
        if (action->menu()) {
            addMenuScopes(*action->menu(), scopes);
        }
    }
    scopes << scope;
}

QList<MnemonicScope> mnemonicScopes(QMainWindow& window) {
    QList<MnemonicScope> scopes;
    MnemonicScope own{QStringLiteral("the window"), {}};
    for (QAction* action : window.menuBar()->actions()) {
        own.texts << action->text();
        if (action->menu()) {
            addMenuScopes(*action->menu(), scopes);
        }
    }
    // Hidden ones too: the voices row shows for some projects.
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (window.menuBar()->isAncestorOf(widget)) {
            continue;
        }
        if (const auto* label = qobject_cast<QLabel*>(widget); label && label->buddy()) {
            own.texts << label->text();
        } else if (const auto* button = qobject_cast<QAbstractButton*>(widget)) {
            own.texts << button->text();
        }
        if (widget->contextMenuPolicy() == Qt::ActionsContextMenu && !widget->actions().isEmpty()) {
            MnemonicScope menu{QStringLiteral("the context menu of ") + widget->accessibleName(),
                               {}};
            for (QAction* action : widget->actions()) {
                menu.texts << action->text();
            }
            scopes << menu;
        }
    }
    scopes.prepend(own);
    return scopes;
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void shortcutsRunTheActions() {
        AppUnderTest app;
        app.window->show();
        QVERIFY(QTest::qWaitForWindowActive(app.window.get()));
        const QString path = app.writeFile("take.dat", "h\n1 AI\n");
        app.chooser->answers.push_back({FileChoice::Outcome::Confirmed, QUrl::fromLocalFile(path)});

        QTest::keyClick(app.window.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(app.chooser->asked, 1);
        QCOMPARE(app.label(), QStringLiteral("take.dat"));

        QGuiApplication::clipboard()->clear();
        QTest::keyClick(app.window.get(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(app.picture(), QStringLiteral("happy"));
        QVERIFY(QGuiApplication::clipboard()->text().contains(QStringLiteral("\t1 \t-40")));

        QGuiApplication::clipboard()->clear();
        QTest::keyClick(app.window.get(), Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
        QVERIFY(QGuiApplication::clipboard()->text().contains(QStringLiteral("\t1 \t-40")));

        QTest::keyClick(app.window.get(), Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!app.window->isVisible());
    }

    void buttonsRunTheActions() {
        AppUnderTest app;
        app.window->findChild<QPushButton*>("openButton")->click();
        QCOMPARE(app.chooser->asked, 1);
        QCOMPARE(app.takeOutput(), std::string("user cancelled\n"));
        QCOMPARE(app.statusMessage().shownText(),
                 QStringLiteral("Open a timing file (Ctrl+O) or drop one here."));
        QCOMPARE(app.window->windowTitle(), QStringLiteral("Mouthkey"));
        app.window->findChild<QPushButton*>("convertButton")->click();
        QCOMPARE(app.picture(), QStringLiteral("happy"));
    }

    // No Alt key is ambiguous: within the window, and within each menu.
    void noTwoMnemonicsClash() {
        AppUnderTest app;
        const QList<MnemonicScope> scopes = mnemonicScopes(*app.window);
        // What the walk must find, so that an empty one cannot pass.
        QVERIFY(scopes.size() >= 4);
        for (const QString& text : {QStringLiteral("&Convert"), QStringLiteral("&Open…"),
                                    QStringLiteral("Hold each &mouth until the next"),
                                    QStringLiteral("&Phoneme set:"), QStringLiteral("&File")}) {
            QVERIFY2(scopes.front().texts.contains(text), qPrintable(text));
        }
        for (const MnemonicScope& scope : scopes) {
            QVERIFY2(!scope.texts.isEmpty(), qPrintable(scope.name));
            QMap<QKeySequence, QString> taken;
            for (const QString& text : scope.texts) {
                const QKeySequence key = QKeySequence::mnemonic(text);
                if (key.isEmpty()) {
                    continue;
                }
                QVERIFY2(!taken.contains(key),
                         qPrintable(QStringLiteral("in %1, '%2' and '%3' both take %4")
                                        .arg(scope.name, taken.value(key), text, key.toString())));
                taken.insert(key, text);
            }
        }
    }

    void tabVisitsTheControlsInOrder() {
        AppUnderTest app;
        app.window->show();
        QVERIFY(QTest::qWaitForWindowActive(app.window.get()));
        auto* open = app.window->findChild<QPushButton*>("openButton");
        open->setFocus();
        // Convert follows the controls it applies, and the preview comes
        // last, for its keys; the voices and the findings list, hidden here
        // with no file loaded, and the Play button, which waits for one, are
        // passed by.
        const QList<QWidget*> order = {app.vc().script(),
                                       app.vc().pset(),
                                       app.vc().frames(),
                                       app.vc().rateField(),
                                       app.vc().target(),
                                       app.vc().hold(),
                                       app.vc().shift(),
                                       app.window->findChild<QPushButton*>("convertButton"),
                                       app.window->findChild<TimelinePreview*>(),
                                       open};
        for (QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

    // With a take loaded, the focus chain runs down the form, Convert after
    // what it applies, then to the findings and the preview; what is hidden is passed by.
    void theFocusChainFollowsTheForm_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("order");
        const QStringList head = {"openButton", "scriptField", "pset", "frames", "rateField"};
        const QStringList tail = {"target", "hold", "shift", "playButton", "convertButton"};
        QTest::newRow("a take with findings")
            << "take.dat" << QByteArray("h\n1 AI\n5 xx\n")
            << head + tail + QStringList{"findingsView", "keyframePreview"};
        QTest::newRow("a project of two voices")
            << "two-voices.pgo" << mouthkey::test::readSample("two-voices.pgo")
            << head + QStringList{"voices"} + tail + QStringList{"findingsView", "keyframePreview"};
    }

    void theFocusChainFollowsTheForm() {
        QFETCH(QString, name);
        QFETCH(QByteArray, text);
        QFETCH(QStringList, order);
        AppUnderTest app;
        app.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(app.window.get()));
        app.openPath(app.writeFile(name, text));
        auto* open = app.window->findChild<QPushButton*>("openButton");
        QStringList chain{open->objectName()};
        for (QWidget* w = open->nextInFocusChain(); w != open; w = w->nextInFocusChain()) {
            if ((w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && w->isVisible() &&
                w->isEnabled() && w->focusProxy() == nullptr) {
                chain << w->objectName();
            }
        }
        QCOMPARE(chain, order);
    }

    // Each target brings its own default; what the user then sets stays until the next change.
    void theHoldBoxFollowsTheTarget() {
        AppUnderTest app;
        QCheckBox* hold = app.vc().hold();
        QComboBox* target = app.vc().target();
        QCOMPARE(target->currentText(), QStringLiteral("Position"));
        QVERIFY(!hold->isChecked());
        QVERIFY(!app.vc().choices().holds() && app.vc().choices().offset == 0);
        QSignalSpy toggled(hold, &QCheckBox::toggled);

        target->setCurrentIndex(1);
        QCOMPARE(target->currentText(), QStringLiteral("Time Remap"));
        QVERIFY(hold->isChecked());
        hold->click();
        QVERIFY(!app.vc().choices().holds());
        target->setCurrentIndex(2);
        QCOMPARE(target->currentText(), QStringLiteral("Slider Control"));
        QVERIFY(hold->isChecked());
        target->setCurrentIndex(0);
        QVERIFY(!hold->isChecked());
        QCOMPARE(toggled.count(), 4);

        hold->click();
        QVERIFY(app.vc().choices().holds());
        hold->click();
        app.vc().shift()->setValue(-1);
        QCOMPARE(app.vc().choices().offset, -1);
        QVERIFY(!app.vc().choices().holds());
    }

    void droppedFileLoadsLikeAConfirmedOpen_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("lower-case extension") << "take.dat";
        QTest::newRow("upper-case extension") << "TAKE.DAT";
    }

    void droppedFileLoadsLikeAConfirmedOpen() {
        QFETCH(QString, name);
        AppUnderTest app;
        const QString path = app.writeFile(name, "h\n1 AI\n");
        std::unique_ptr<QMimeData> mime(urlsData({QUrl::fromLocalFile(path)}));

        QVERIFY(dragAndDrop(*app.window, *mime));
        QTRY_COMPARE(app.label(), name);
        QCOMPARE(app.takeOutput(), urlLine(path));
        QCOMPARE(app.picture(), QStringLiteral("smile"));
        QCOMPARE(loadOf(app.vc()).newdat(), std::string("h\n1 AI\n"));
        QCOMPARE(app.chooser->asked, 0);
    }

    void droppedBadFileIsReportedLikeAnOpen() {
        AppUnderTest app;
        const QString path = app.writeFile("bad.dat", "h\n1 \xFF\n");
        std::unique_ptr<QMimeData> mime(urlsData({QUrl::fromLocalFile(path)}));

        QVERIFY(dragAndDrop(*app.window, *mime));
        QTRY_VERIFY(!app.status().isEmpty());
        QVERIFY(app.takeOutput().ends_with("' is not valid UTF-8 text\n"));
        QCOMPARE(app.label(), QStringLiteral("None"));
        QCOMPARE(app.picture(), QStringLiteral("rest"));
        QCOMPARE(loadOf(app.vc()).newdat(), std::string("new dat"));
        QCOMPARE(app.status(), QStringLiteral("'bad.dat' is not valid UTF-8 text"));
    }

    void otherDragsAreRefused_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("remote");
        QTest::newRow("two files") << QStringList{"a.dat", "b.dat"} << false;
        QTest::newRow("not a timing file") << QStringList{"notes.pdf"} << false;
        QTest::newRow("no extension") << QStringList{"dat"} << false;
        QTest::newRow("remote file") << QStringList{"take.dat"} << true;
    }

    void otherDragsAreRefused() {
        QFETCH(QStringList, names);
        QFETCH(bool, remote);
        AppUnderTest app;
        QList<QUrl> urls;
        for (const QString& name : names) {
            const QString path = app.writeFile(name, "h\n1 AI\n");
            urls << (remote ? QUrl(QStringLiteral("https://example.org/") + name)
                            : QUrl::fromLocalFile(path));
        }
        std::unique_ptr<QMimeData> mime(urlsData(urls));
        QVERIFY(!dragAndDrop(*app.window, *mime));

        // Even a drop that arrives without a drag first changes nothing.
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, mime.get(), Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(app.window.get(), &drop);
        QCOMPARE(app.takeOutput(), std::string());
        QCOMPARE(app.label(), QStringLiteral("None"));

        std::unique_ptr<QMimeData> text(new QMimeData);
        text->setText(QStringLiteral("h\n1 AI\n"));
        QVERIFY(!dragAndDrop(*app.window, *text));
    }

    void busyCursorOnlyForLargeWork() {
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        {
            const BusyCursor busy(BusyCursor::noticeableBytes - 1);
            QVERIFY(!busy.active());
            QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        }
        {
            const BusyCursor busy(BusyCursor::noticeableBytes);
            QVERIFY(busy.active());
            QVERIFY(QGuiApplication::overrideCursor() != nullptr);
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    // Menus and tool tips passing over must not erase the outcome of the last
    // action, and a failure must look like one.
    void statusKeepsTheLastOutcome() {
        AppUnderTest app;
        app.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(app.window.get()));
        StatusMessage& status = app.statusMessage();
        QVERIFY(status.isVisible());
        QCOMPARE(status.shownText(),
                 QStringLiteral("Open a timing file (Ctrl+O) or drop one here."));

        const auto passOverMenus = [&app] {
            for (QAction* action : {app.window->openAction(), app.window->convertAction()}) {
                action->showStatusText(app.window.get());
            }
            app.window->statusBar()->showMessage(QStringLiteral("a passing tip"));
            app.window->statusBar()->clearMessage();
        };
        const auto* text = status.findChild<QLabel*>(QStringLiteral("statusText"));
        const QColor normal = app.window->palette().color(QPalette::WindowText);

        app.openPath(app.writeFile("good.dat", "h\n1 AI\n"));
        passOverMenus();
        QCOMPARE(status.shownText(), QStringLiteral("Loaded good.dat"));
        QCOMPARE(status.kind(), StatusMessage::Kind::Done);
        QCOMPARE(text->palette().color(QPalette::WindowText), normal);

        app.openPath(app.writeFile("bad.dat", "h\n1 \xFF\n"));
        passOverMenus();
        QCOMPARE(status.shownText(), QStringLiteral("'bad.dat' is not valid UTF-8 text"));
        QCOMPARE(status.kind(), StatusMessage::Kind::Failure);
        QVERIFY(text->palette().color(QPalette::WindowText) != normal);
        QCOMPARE(app.label(), QStringLiteral("good.dat"));
        QCOMPARE(app.picture(), QStringLiteral("smile"));
        QCOMPARE(app.window->windowTitle(), QStringLiteral("good.dat[*] \u2014 Mouthkey"));

        app.vc().go();
        passOverMenus();
        QCOMPARE(status.shownText(),
                 QStringLiteral("Copied 1 keyframe from good.dat (Preston Blair, 24 fps)"));

        app.cancelOpen();
        passOverMenus();
        QCOMPARE(status.shownText(),
                 QStringLiteral("Open cancelled: good.dat is still loaded, and Convert uses it"));
        QCOMPARE(status.kind(), StatusMessage::Kind::Done);

        // However long, the whole message shows at the window's first size,
        // a long file name broken where it must be.
        const auto* wrapping = qobject_cast<const WrappingLabel*>(text);
        QVERIFY(wrapping);
        status.show(StatusMessage::Kind::Notice,
                    QStringLiteral("Copied 160 keyframes from %1.dat (Preston Blair, 24 fps); 11 "
                                   "lines have unknown names; 1 more finding to check")
                        .arg(QString(120, u'x')));
        const int needed = wrapping->textHeightAt(wrapping->width());
        QVERIFY(needed >= 3 * wrapping->fontMetrics().height());
        QTRY_VERIFY(wrapping->height() >= needed);
        QVERIFY(wrapping->mapTo(app.window.get(), wrapping->rect().bottomLeft()).y() <
                app.window->height());
    }

    void aboutShowsTheVersion() {
        AppUnderTest app;
        auto* about = app.window->findChild<QAction*>(QStringLiteral("aboutAction"));
        QVERIFY(about);
        QString shown;
        // The box is modal: read and close it from inside its own event loop.
        QTimer::singleShot(0, [&shown] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->text();
                box->accept();
            }
        });
        about->trigger();
        QVERIFY2(shown.contains(QStringLiteral("Mouthkey " MOUTHKEY_VERSION)), qPrintable(shown));
    }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
