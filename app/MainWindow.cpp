#include "app/MainWindow.h"

#include "SoundWaveform.h"
#include "app/DroppedFile.h"
#include "app/ElidedLabel.h"
#include "app/FindingsPanel.h"
#include "app/ImageView.h"
#include "app/LocaleNumbers.h"
#include "app/MouthView.h"
#include "app/StatusMessage.h"
#include "app/TakeEdits.h"
#include "app/TakePlayer.h"
#include "app/TimelinePreview.h"
#include "app/TimingOverview.h"
#include "app/ViewController.h"
#include "textinput/Utf8Text.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>

namespace mouthkey {

namespace {

QString withShortcut(const QString& text, const QKeySequence& keys) {
    return QStringLiteral("%1 (%2)").arg(text, keys.toString(QKeySequence::NativeText));
}

// A push button that stands for an action: it shows the action's icon text,
// tool tip and enabled state, and clicking it triggers the action.
QPushButton* buttonFor(QAction* action, QWidget* parent) {
    auto* button = new QPushButton(parent);
    const auto follow = [button, action] {
        button->setText(action->iconText());
        button->setToolTip(action->toolTip());
        button->setEnabled(action->isEnabled());
    };
    follow();
    QObject::connect(action, &QAction::changed, button, follow);
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
    return button;
}

// What a desktop launcher passes: a path, or a URL when it has one.
QUrl fileUrlOf(const QString& argument) {
    const QUrl url(argument);
    if (url.isLocalFile() || (url.scheme().size() > 1 && argument.contains(u"://"))) {
        return url; // a remote one is refused when opened, as a dropped one would be
    }
    return QUrl::fromLocalFile(QDir::cleanPath(QDir::current().absoluteFilePath(argument)));
}

// The chart in use on one line, "0 rest · 1 AI TH CH D K · ...", and whole
// in its tool tip, one drawing a line.
void showChart(ElidedLabel& label, const ViewController& controller) {
    QStringList drawings;
    const MouthChart chart = controller.chartInUse();
    const auto& rows = chart.drawings();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        QStringList names;
        for (const std::string& name : rows[i]) {
            names << toQString(name);
        }
        drawings << QStringLiteral("%1 %2").arg(localeNumber(i), names.join(u' '));
    }
    const QString path = controller.chartPath();
    const QString from =
        path.isEmpty() ? MainWindow::tr("%1's own chart")
                             .arg(toQString(phonemeSetTitle(controller.pset()->currentIndex())))
                       : QFileInfo(path).fileName();
    label.setText(MainWindow::tr("Chart (%1): %2").arg(from, drawings.join(u" \u00B7 ")));
    QString tip = path.isEmpty() ? from : QDir::toNativeSeparators(path);
    tip += QLatin1Char('\n') + drawings.join(u'\n');
    // Greyed while the target uses none, so that it never seems to matter then.
    const bool used = usesChart(controller.choices().target);
    if (!used) {
        tip += QLatin1Char('\n') + MainWindow::tr("Position uses no chart: it pastes each "
                                                  "phoneme's place on the strip.");
    }
    label.setEnabled(used);
    label.setToolTip(ElidedLabel::wrappingToolTip(tip));
}

} // namespace

MainWindow::MainWindow(std::unique_ptr<FileChooser> chooser, std::ostream& diagnostics,
                       QWidget* parent)
    : MainWindow(std::move(chooser), std::make_unique<StreamOutput>(diagnostics), parent) {}

MainWindow::MainWindow(std::unique_ptr<FileChooser> chooser,
                       std::unique_ptr<DiagnosticOutput> diagnostics, QWidget* parent)
    : QMainWindow(parent),
      m_controller(new ViewController(std::move(chooser), std::move(diagnostics), this)) {
    setWindowTitle(QStringLiteral("Mouthkey"));
    setAcceptDrops(true);
    buildActions();
    buildForm();
    buildMenu();
    buildStatus();
    m_controller->viewDidLoad();
}

void MainWindow::buildActions() {
    m_open = new QAction(tr("&Open…"), this);
    m_open->setObjectName(QStringLiteral("openAction"));
    m_open->setIconText(tr("&Open…"));
    m_open->setShortcuts(QKeySequence::Open);
    m_open->setToolTip(withShortcut(
        tr("Choose a timing file, a lip-sync project or a sound to time"), m_open->shortcut()));
    connect(m_open, &QAction::triggered, m_controller, &ViewController::Opendat);

    m_reload = new QAction(tr("&Reload"), this);
    m_reload->setObjectName(QStringLiteral("reloadAction"));
    m_reload->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    m_reload->setToolTip(
        withShortcut(tr("Read the timing file again from disk"), m_reload->shortcut()));
    m_reload->setEnabled(false);
    connect(m_reload, &QAction::triggered, m_controller, &ViewController::reload);
    connect(m_controller, &ViewController::fileLoaded, m_reload,
            [this] { m_reload->setEnabled(true); });

    m_readLetters = new QAction(tr("Read as &Letter Mouth Shapes"), this);
    m_readLetters->setObjectName(QStringLiteral("readLettersAction"));
    m_readLetters->setCheckable(true);
    m_readLetters->setToolTip(tr("Read A to H and X as a lip-sync tool's letter mouth shapes: "
                                 "%1")
                                  .arg(toQString(letterChartText())));
    m_readLetters->setEnabled(false);
    connect(m_readLetters, &QAction::toggled, m_controller, &ViewController::setLetters);
    // Each file loaded starts with the names as they are.
    connect(m_controller, &ViewController::timingLoaded, m_readLetters, [this] {
        const QSignalBlocker quiet(m_readLetters);
        m_readLetters->setChecked(m_controller->letters());
        // A format that only knows letters is always read so.
        const auto& take = m_controller->loaded()->take;
        m_readLetters->setEnabled(!take || !take->letters);
    });

    m_chooseChart = new QAction(tr("Mouth C&hart…"), this);
    m_chooseChart->setObjectName(QStringLiteral("chooseChartAction"));
    m_chooseChart->setToolTip(tr("Choose the file that says which drawing shows which mouth, for "
                                 "Time Remap and Slider Control"));
    connect(m_chooseChart, &QAction::triggered, m_controller, &ViewController::chooseChart);

    m_forgetChart = new QAction(tr("&Forget Chosen Mouth Chart"), this);
    m_forgetChart->setObjectName(QStringLiteral("forgetChartAction"));
    m_forgetChart->setEnabled(false);
    connect(m_forgetChart, &QAction::triggered, m_controller, &ViewController::forgetChart);
    connect(m_controller, &ViewController::chartChanged, m_forgetChart,
            [this] { m_forgetChart->setEnabled(m_controller->chartChosen()); });

    m_convert = new QAction(tr("&Convert and Copy"), this);
    m_convert->setObjectName(QStringLiteral("convertAction"));
    m_convert->setIconText(tr("&Convert"));
    m_convert->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    m_convert->setToolTip(
        withShortcut(tr("Convert and copy the keyframes to the clipboard"), m_convert->shortcut()));
    connect(m_convert, &QAction::triggered, m_controller, &ViewController::go);

    TakePlayer* player = &m_controller->player();
    m_play = new QAction(tr("&Play"), this);
    m_play->setObjectName(QStringLiteral("playAction"));
    m_play->setIconText(tr("Play"));
    m_play->setShortcut(QKeySequence(Qt::Key_Space));
    m_play->setToolTip(
        withShortcut(tr("Play the take, with its sound, and watch the mouth"), m_play->shortcut()));
    m_play->setEnabled(false);
    connect(m_play, &QAction::triggered, player, &TakePlayer::togglePlaying);
    connect(player, &TakePlayer::playingChanged, m_play, [this](bool playing) {
        m_play->setText(playing ? tr("&Pause") : tr("&Play"));
        m_play->setIconText(playing ? tr("Pause") : tr("Play"));
    });

    m_toStart = new QAction(tr("Go to &Start"), this);
    m_toStart->setObjectName(QStringLiteral("toStartAction"));
    m_toStart->setShortcut(QKeySequence(Qt::Key_Home));
    m_toStart->setEnabled(false);
    connect(m_toStart, &QAction::triggered, player, [player] { player->seek(0); });

    m_toEnd = new QAction(tr("Go to &End"), this);
    m_toEnd->setObjectName(QStringLiteral("toEndAction"));
    m_toEnd->setShortcut(QKeySequence(Qt::Key_End));
    m_toEnd->setEnabled(false);
    // To the last keyframe, where its mouth shows, rather than past its frame.
    connect(m_toEnd, &QAction::triggered, player, [this, player] {
        if (const auto& loaded = m_controller->loaded()) {
            player->seek(m_controller->positionOfTrackFrame(loaded->track.lastFrame()));
        }
    });
    connect(m_controller, &ViewController::fileLoaded, this, [this] {
        m_play->setEnabled(true);
        m_toStart->setEnabled(true);
        m_toEnd->setEnabled(true);
    });

    m_openSound = new QAction(tr("Open So&und…"), this);
    m_openSound->setObjectName(QStringLiteral("openSoundAction"));
    m_openSound->setToolTip(tr("Choose the sound to play the take with"));
    connect(m_openSound, &QAction::triggered, m_controller, &ViewController::openSound);

    m_chooseDrawings = new QAction(tr("Mouth &Drawings…"), this);
    m_chooseDrawings->setObjectName(QStringLiteral("chooseDrawingsAction"));
    m_chooseDrawings->setToolTip(
        tr("Choose a folder of mouth drawings named by shape (AI.png, MBP.svg, rest.png, ...)"));
    connect(m_chooseDrawings, &QAction::triggered, m_controller, &ViewController::chooseDrawings);

    m_quit = new QAction(tr("&Quit"), this);
    m_quit->setObjectName(QStringLiteral("quitAction"));
    // The platform's own quit keys; where it has none (Windows leaves it to
    // Alt+F4), Ctrl+Q as well.
    QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
    if (quitKeys.isEmpty()) {
        quitKeys.append(QKeySequence(Qt::CTRL | Qt::Key_Q));
    }
    m_quit->setShortcuts(quitKeys);
    m_quit->setMenuRole(QAction::QuitRole);
    connect(m_quit, &QAction::triggered, this, &QWidget::close);

    buildEditActions();

    m_about = new QAction(tr("&About Mouthkey"), this);
    m_about->setObjectName(QStringLiteral("aboutAction"));
    m_about->setMenuRole(QAction::AboutRole);
    connect(m_about, &QAction::triggered, this,
            [this] { QMessageBox::about(this, tr("About Mouthkey"), aboutText()); });
}

void MainWindow::buildForm() {
    auto* central = new QWidget(this);

    QPushButton* openButton = buttonFor(m_open, central);
    openButton->setObjectName(QStringLiteral("openButton"));
    openButton->setAccessibleName(tr("Open timing file"));

    // A long name loses its middle, so that the end that tells takes apart shows.
    auto* fileselect = new ElidedLabel(Qt::ElideMiddle, central);
    fileselect->setAccessibleName(tr("Loaded file"));
    fileselect->setMinimumWidth(180);

    auto* pset = new QComboBox(central);
    pset->setObjectName(QStringLiteral("pset"));
    pset->setAccessibleName(tr("Phoneme set"));
    auto* psetCaption = new QLabel(tr("&Phoneme set:"), central);
    psetCaption->setBuddy(pset);

    // Only a project of several voices shows this row.
    auto* voices = new QComboBox(central);
    voices->setObjectName(QStringLiteral("voices"));
    voices->setAccessibleName(tr("Voice"));
    auto* voicesCaption = new QLabel(tr("&Voice:"), central);
    voicesCaption->setBuddy(voices);

    auto* frames = new QComboBox(central);
    frames->setObjectName(QStringLiteral("frames"));
    frames->setAccessibleName(tr("Frame rate"));
    frames->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* fpstext = new QLabel(tr("Frame &rate (fps):"), central);
    fpstext->setBuddy(frames);
    // Any rate, where the list has not the one the footage runs at.
    auto* rateField = new QLineEdit(central);
    rateField->setObjectName(QStringLiteral("rateField"));
    rateField->setAccessibleName(tr("Frame rate, typed"));
    rateField->setToolTip(tr("Any rate from 1 to 1000 frames per second, such as 23.976 or 48"));
    rateField->setMaximumWidth(
        rateField->fontMetrics().horizontalAdvance(QStringLiteral("00000.000")) + 16);

    auto* target = new QComboBox(central);
    target->setObjectName(QStringLiteral("target"));
    target->setAccessibleName(tr("Paste onto"));
    auto* targetCaption = new QLabel(tr("Paste o&nto:"), central);
    targetCaption->setBuddy(target);

    auto* hold = new QCheckBox(tr("Hold each &mouth until the next"), central);
    hold->setObjectName(QStringLiteral("hold"));
    hold->setToolTip(tr("Before each change of mouth, a key repeats the mouth before it, so "
                        "that the change is a cut, not a blend"));

    auto* shift = new QSpinBox(central);
    shift->setObjectName(QStringLiteral("shift"));
    shift->setAccessibleName(tr("Shift keys by frames"));
    shift->setRange(-999999, 999999);
    shift->setSuffix(tr(" frames"));
    connect(shift, &QSpinBox::valueChanged, shift, [shift](int frames) {
        shift->setSuffix(frames == 1 || frames == -1 ? tr(" frame") : tr(" frames"));
    });
    auto* shiftCaption = new QLabel(tr("&Shift keys by:"), central);
    shiftCaption->setBuddy(shift);

    // What Time Remap and Slider Control are written with, as short as it goes.
    auto* chart = new ElidedLabel(Qt::ElideRight, central);
    chart->setObjectName(QStringLiteral("chart"));
    chart->setAccessibleName(tr("Mouth chart"));

    QPushButton* convertButton = buttonFor(m_convert, central);
    convertButton->setObjectName(QStringLiteral("convertButton"));
    convertButton->setAccessibleName(tr("Convert and copy keyframes"));

    auto* picture = new ImageView(central);
    picture->setAccessibleName(tr("Mouth picture"));

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(openButton);
    fileRow->addWidget(fileselect, 1);

    // Two controls a row where they read together, to leave the timeline the room.
    auto* setRow = new QHBoxLayout;
    setRow->addWidget(pset, 1);
    setRow->addSpacing(12);
    setRow->addWidget(fpstext);
    setRow->addWidget(frames);
    setRow->addWidget(rateField);

    auto* targetRow = new QHBoxLayout;
    targetRow->addWidget(target);
    targetRow->addSpacing(12);
    targetRow->addWidget(hold);
    targetRow->addStretch(1);

    QPushButton* playButton = buttonFor(m_play, central);
    playButton->setObjectName(QStringLiteral("playButton"));
    playButton->setAccessibleName(tr("Play or pause the take"));

    auto* shiftRow = new QHBoxLayout;
    shiftRow->addWidget(shift);
    shiftRow->addStretch(1);
    shiftRow->addWidget(playButton);
    // After every control it applies.
    shiftRow->addWidget(convertButton);

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    QPlainTextEdit* script = buildScript(fileRow, central);
    form->addRow(tr("Timing file:"), fileRow);
    form->addRow(psetCaption, setRow);
    form->addRow(voicesCaption, voices);
    form->setRowVisible(voices, false);
    form->addRow(targetCaption, targetRow);
    form->addRow(shiftCaption, shiftRow);
    form->addRow(chart);
    connect(m_controller, &ViewController::timingLoaded, voices, [this, form, voices] {
        const QSignalBlocker quiet(voices);
        voices->clear();
        const auto& loaded = *m_controller->loaded();
        if (loaded.take) {
            for (const TakeVoice& voice : loaded.take->voices) {
                voices->addItem(toQString(voice.name));
            }
            voices->setCurrentIndex(static_cast<int>(loaded.voice));
        }
        form->setRowVisible(voices, voices->count() > 1);
    });
    connect(voices, &QComboBox::currentIndexChanged, m_controller, &ViewController::setVoice);
    connect(frames, &QComboBox::currentIndexChanged, m_controller, &ViewController::setRateIndex);
    connect(rateField, &QLineEdit::editingFinished, m_controller, &ViewController::setRateText);
    connect(target, &QComboBox::currentIndexChanged, m_controller, &ViewController::setTargetIndex);
    const auto followChart = [this, chart] {
        showChart(*chart, *m_controller);
    };
    connect(m_controller, &ViewController::chartChanged, chart, followChart);
    connect(pset, &QComboBox::currentIndexChanged, chart, followChart);

    // The form keeps together at the top, as wide as it needs and no wider
    // than reads well; the picture sits beside it.
    auto* formPanel = new QWidget(central);
    formPanel->setLayout(form);
    form->setContentsMargins(0, 0, 0, 0);
    formPanel->setMaximumWidth(560);

    auto* top = new QHBoxLayout;
    top->addWidget(formPanel, 1);
    top->addSpacing(12);
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addStretch(0);

    auto* layout = new QVBoxLayout(central);
    layout->addLayout(top);
    TimingOverview* overview = buildOverview(layout, pset);
    setCentralWidget(central);

    setTabOrder(openButton, script);
    setTabOrder(script, pset);
    setTabOrder(pset, frames);
    setTabOrder(frames, rateField);
    setTabOrder(rateField, voices);
    setTabOrder(voices, target);
    setTabOrder(target, hold);
    setTabOrder(hold, shift);
    setTabOrder(shift, playButton);
    setTabOrder(playButton, convertButton);
    // A take just opened from the Open button plays with Space, rather than opening another.
    connect(m_controller, &ViewController::timingLoaded, overview, [openButton, overview] {
        QWidget* focus = QApplication::focusWidget();
        if (focus == nullptr || focus == openButton) {
            overview->preview()->setFocus(Qt::OtherFocusReason);
        }
    });
    // The findings come between, where they are shown; Tab passes them by while they are hidden.
    setTabOrder(convertButton, overview->findings()->findingsView());
    setTabOrder(overview->findings()->findingsView(), overview->preview());

    m_controller->setFrames(frames);
    m_controller->setFpstext(fpstext);
    m_controller->setPset(pset);
    m_controller->setFileselect(fileselect);
    m_controller->setPicture(picture);
    m_controller->setStatusline(statusBar());
    m_controller->setTarget(target);
    m_controller->setHold(hold);
    m_controller->setShift(shift);
    m_controller->setRateField(rateField);
    // The preview's axis names drawings where the target pastes them.
    const auto previewChart = [this, overview] {
        const bool drawings = usesChart(m_controller->choices().target);
        overview->preview()->setChart(drawings ? std::optional(m_controller->chartInUse())
                                               : std::nullopt);
    };
    connect(m_controller, &ViewController::chartChanged, overview, previewChart);
    connect(pset, &QComboBox::currentIndexChanged, overview, previewChart);
    // The findings are those of the document the controls would have written.
    connect(m_controller, &ViewController::chartChanged, m_controller,
            &ViewController::refreshFindings);
    connect(pset, &QComboBox::currentIndexChanged, m_controller, &ViewController::refreshFindings);
    connect(hold, &QCheckBox::toggled, m_controller, &ViewController::refreshFindings);
    connect(shift, &QSpinBox::valueChanged, m_controller, &ViewController::refreshFindings);
    followChart();
    buildPlayer(overview);
    buildEditing(overview);
    connect(shift, &QSpinBox::valueChanged, m_controller, &ViewController::refreshPlayback);
    connect(shift, &QSpinBox::valueChanged, overview->preview(), &TimelinePreview::setSoundShift);
    connect(m_controller, &ViewController::rateChanged, m_controller,
            &ViewController::refreshPlayback);
    connect(pset, &QComboBox::currentIndexChanged, m_controller, &ViewController::refreshPlayback);
}

// The playing mouth beside the preview, which moves the player where it is clicked.
void MainWindow::buildPlayer(TimingOverview* overview) {
    m_overview = overview;
    m_mouth = new MouthView(m_controller->drawings());
    m_mouth->setObjectName(QStringLiteral("mouthView"));
    overview->addBesidePreview(m_mouth);
    TakePlayer* player = &m_controller->player();
    connect(player, &TakePlayer::positionChanged, this, &MainWindow::showPlayback);
    connect(player, &TakePlayer::playingChanged, this, &MainWindow::showPlayback);
    connect(m_controller, &ViewController::playbackChanged, this, &MainWindow::showPlayback);
    connect(m_controller, &ViewController::drawingsChanged, m_mouth, &MouthView::redraw);
    connect(m_controller, &ViewController::readingChanged, m_controller,
            &ViewController::refreshPlayback);
    connect(m_controller, &ViewController::takeEdited, m_controller,
            &ViewController::refreshPlayback);
    connect(m_controller, &ViewController::chartChanged, m_controller,
            &ViewController::refreshPlayback);
    TimelinePreview* preview = overview->preview();
    connect(preview, &TimelinePreview::frameChosen, player, [this, player](std::uint64_t frame) {
        player->seek(m_controller->positionOfTrackFrame(frame));
    });
    // The sound's waveform, read apart from the window, follows the sound the take plays with.
    auto* waveform = new SoundWaveform(this);
    connect(player, &TakePlayer::soundFileChanged, waveform,
            [waveform, preview](const QString& path) {
                preview->setWaveform(nullptr);
                waveform->load(path.isEmpty() ? QUrl() : QUrl::fromLocalFile(path));
            });
    connect(waveform, &SoundWaveform::ready, preview, &TimelinePreview::setWaveform);
    showPlayback();
}

void MainWindow::showPlayback() {
    const TakePlayer& player = m_controller->player();
    const ViewController::PlayedMouth shown = m_controller->mouthAt(player.position());
    m_mouth->showMouth(shown.mouth, shown.label);
    // Wherever the player is once a take is loaded, at its start too, so
    // that a key that moves it to a keyframe at frame 1 shows where it went.
    m_overview->preview()->setPlayhead(m_controller->loaded() ? shown.trackFrame : std::nullopt);
}

// Space, Home and End are the player's while the preview has the focus or
// nothing has; a control that has it keeps them for what they did there.
bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool playerKey = (key->key() == Qt::Key_Space || key->key() == Qt::Key_Home ||
                                key->key() == Qt::Key_End) &&
                               key->modifiers() == Qt::NoModifier;
        QWidget* focus = QApplication::focusWidget();
        if (playerKey && focus != nullptr && focus != m_overview->preview() &&
            isAncestorOf(focus)) {
            event->accept();
            return true;
        }
    }
    return QMainWindow::event(event);
}

// The summary, findings and preview of the loaded file, below the form in
// the window's spare room. They follow the pop-ups and read what loads.
TimingOverview* MainWindow::buildOverview(QBoxLayout* page, QComboBox* pset) {
    auto* overview = new TimingOverview; // the layout gives it its parent
    page->addWidget(overview, 1);
    connect(pset, &QComboBox::currentIndexChanged, overview, &TimingOverview::setSetIndex);
    connect(m_controller, &ViewController::rateChanged, overview, &TimingOverview::setRate);
    const auto showTrack = [this, overview] {
        overview->preview()->setTrack(m_controller->loaded()->track);
    };
    connect(m_controller, &ViewController::timingLoaded, overview, showTrack);
    connect(m_controller, &ViewController::readingChanged, overview, showTrack);
    connect(m_controller, &ViewController::findingsChanged, overview, [this, overview] {
        overview->showFindings(*m_controller->loaded(), m_controller->findings());
    });
    // Beside the findings, for the one that it answers.
    overview->findings()->findingsView()->addAction(m_readLetters);
    // Only a load changes the title: after a cancelled or failed Open, the
    // earlier file is still the one Convert uses.
    const auto showTitle = [this] {
        // "[*]" in a title is Qt's mark for unsaved changes; a file may be named so.
        QString name = m_controller->loaded()->source;
        name.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
        setWindowTitle(tr("%1[*] \u2014 Mouthkey").arg(name));
        setWindowModified(m_controller->edits().modified());
    };
    connect(m_controller, &ViewController::timingLoaded, this, showTitle);
    connect(m_controller, &ViewController::savedAs, this, showTitle);
    return overview;
}

void MainWindow::openFromCommandLine(const QStringList& files) {
    if (files.isEmpty()) {
        return;
    }
    m_controller->openFile(fileUrlOf(files.front()));
    if (const auto others = files.size() - 1; others > 0) {
        StatusMessage& status = StatusMessage::of(*statusBar());
        status.show(status.kind(),
                    others == 1 ? tr("%1; the other file given was not opened").arg(status.text())
                                : tr("%1; the other %2 files given were not opened")
                                      .arg(status.text(), localeNumber(others)));
    }
}

void MainWindow::buildMenu() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(m_open);
    file->addAction(m_reload);
    file->addAction(m_save);
    file->addAction(m_saveAs);
    file->addAction(m_convert);
    file->addSeparator();
    file->addAction(m_openSound);
    file->addAction(m_chooseDrawings);
    file->addSeparator();
    file->addAction(m_readLetters);
    file->addAction(m_chooseChart);
    file->addAction(m_forgetChart);
    file->addSeparator();
    file->addAction(m_quit);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->addAction(m_undo);
    edit->addAction(m_redo);
    edit->addSeparator();
    edit->addAction(m_cleanUp);

    QMenu* view = menuBar()->addMenu(tr("V&iew"));
    view->addAction(m_showCueList);

    QMenu* play = menuBar()->addMenu(tr("Pla&y"));
    play->addAction(m_play);
    play->addAction(m_toStart);
    play->addAction(m_toEnd);

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(m_about);
}

void MainWindow::buildStatus() {
    StatusMessage& status = StatusMessage::of(*statusBar());
    status.setHint(tr("Open a timing file (%1) or drop one here.")
                       .arg(m_open->shortcut().toString(QKeySequence::NativeText)));
    connect(m_controller, &ViewController::loadedFileChangedOnDisk, &status,
            [this, &status] { status.offer(m_reload); });
    // A letter-shaped file is one click from being read as one.
    connect(m_controller, &ViewController::timingLoaded, &status, [this, &status] {
        const auto& findings = m_controller->loaded()->report.findings;
        if (std::any_of(findings.begin(), findings.end(), [](const Finding& f) {
                return f.kind == Finding::Kind::LetterMouthShapes;
            })) {
            status.offer(m_readLetters);
        }
    });
}

QString MainWindow::aboutText() {
    return tr("<h3>Mouthkey %1</h3>"
              "<p>Turns lip-sync timing files into keyframes for compositing.</p>")
        .arg(QStringLiteral(MOUTHKEY_VERSION));
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (droppedDatFile(event->mimeData()) || droppedSoundFile(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (droppedDatFile(event->mimeData()) || droppedSoundFile(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (const auto url = droppedDatFile(event->mimeData())) {
        event->acceptProposedAction();
        // Load once the drop has been answered: reading a large file inside
        // the drop event would keep the dragging application waiting.
        QMetaObject::invokeMethod(
            m_controller, [controller = m_controller, url = *url] { controller->openFile(url); },
            Qt::QueuedConnection);
    } else if (const auto sound = droppedSoundFile(event->mimeData())) {
        event->acceptProposedAction();
        QMetaObject::invokeMethod(
            this,
            [this, url = *sound, at = mapToGlobal(event->position().toPoint())] {
                dropSound(url, at);
            },
            Qt::QueuedConnection);
    }
}

} // namespace mouthkey
