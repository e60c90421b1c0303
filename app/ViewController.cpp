#include "app/ViewController.h"

#include "ChartChoice.h"
#include "ConvertAction.h"
#include "DrawingsChoice.h"
#include "PlayedMouth.h"
#include "RateChoice.h"
#include "RequiredControl.h"
#include "SoundTimer.h"
#include "TakeSaving.h"
#include "TakeSound.h"
#include "TimingLoad.h"
#include "app/BusyCursor.h"
#include "app/ElidedLabel.h"
#include "app/ImageView.h"
#include "app/LocaleNumbers.h"
#include "app/TakeEdits.h"
#include "app/TakePlayer.h"
#include "conversion/KeyframeDocument.h"
#include "textinput/Utf8Text.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>

#include <algorithm>
#include <vector>

namespace mouthkey {

namespace {

const QString noFile = QStringLiteral("None");

} // namespace

ViewController::ViewController(std::unique_ptr<FileChooser> chooser, std::ostream& diagnostics,
                               QObject* parent)
    : ViewController(std::move(chooser), std::make_unique<StreamOutput>(diagnostics), parent) {}

ViewController::ViewController(std::unique_ptr<FileChooser> chooser,
                               std::unique_ptr<DiagnosticOutput> diagnostics, QObject* parent)
    : QObject(parent), m_chooser(std::move(chooser)), m_output(std::move(diagnostics)),
      m_rate(std::make_unique<RateChoice>()), m_load(new TimingLoad(this)),
      m_chart(new ChartChoice(this)), m_sound(new TakeSound(this)),
      m_convert(new ConvertAction(*m_output, this)), m_drawings(new DrawingsChoice(this)),
      m_edits(new TakeEdits(this)), m_saving(new TakeSaving(*m_load, *m_edits, this)),
      m_timer(new SoundTimer(this)) {
    connect(m_saving, &TakeSaving::savedAs, this, [this] {
        showFileName(); // the file the take is now, as the title says
        emit savedAs();
    });
    connect(m_edits, &TakeEdits::changed, this, &ViewController::cuesEdited);
    connect(m_edits, &TakeEdits::selectionChanged, this, &ViewController::showSelected);
    connect(m_load, &TimingLoad::changedOnDisk, this, &ViewController::showChangeOnDisk);
    connect(m_chart, &ChartChoice::chartChanged, this, &ViewController::chartChanged);
    connect(m_drawings, &DrawingsChoice::drawingsChanged, this, &ViewController::drawingsChanged);
    connect(m_sound, &TakeSound::noted, this, [this](const StatusNote& note) { showStatus(note); });
}

ViewController::~ViewController() = default;

const std::optional<LoadedTiming>& ViewController::loaded() const {
    return m_load->loaded();
}

const QUrl& ViewController::loadedFile() const {
    return m_load->url();
}

QString ViewController::chartPath() const {
    return m_chart->path();
}

bool ViewController::chartChosen() const {
    return m_chart->chosen();
}

const std::vector<Finding>& ViewController::writtenFindings() const {
    return m_convert->written();
}

TakeEdits& ViewController::edits() const {
    return *m_edits;
}

TakePlayer& ViewController::player() const {
    return m_sound->player();
}

const MouthDrawings& ViewController::drawings() const {
    return m_drawings->drawings();
}

void ViewController::viewDidLoad() {
    QComboBox& rates = require(m_frames, "frames");
    QComboBox& sets = require(m_pset, "pset");
    QLabel& label = require(m_fileselect, "fileselect");
    ImageView& picture = require(m_Picture, "Picture");
    QComboBox& target = require(m_target, "target");

    rates.clear();
    for (const std::string_view title : frameRateTitles) {
        rates.addItem(toQString(title));
    }
    if (m_rateField) {
        m_rateField->setText(toQString(rate().title()));
    }
    sets.clear();
    for (const std::string_view title : phonemeSetTitles) {
        sets.addItem(toQString(title));
    }
    target.clear();
    for (const Target t : targets) {
        target.addItem(toQString(targetTitle(t)));
    }
    label.setText(noFile);
    picture.setImageNamed(QStringLiteral("rest"));
}

void ViewController::Opendat() {
    QLabel& label = require(m_fileselect, "fileselect");
    ImageView& picture = require(m_Picture, "Picture");
    require(m_statusline, "statusline");

    const FileChoice choice = m_chooser->chooseDatFile(label.window(), chooserFolder());
    switch (choice.outcome) {
    case FileChoice::Outcome::Confirmed:
        openFile(choice.url);
        return;
    case FileChoice::Outcome::Cancelled:
        // The text loaded earlier stays loaded; only the display is reset.
        writeLine("user cancelled");
        label.setText(noFile);
        label.setToolTip({});
        picture.setImageNamed(QStringLiteral("rest"));
        // The label says "None", but Convert still has the text: say which.
        if (loaded()) {
            showStatus(StatusMessage::Kind::Done,
                       tr("Open cancelled: %1 is still loaded, and Convert uses it")
                           .arg(loaded()->source));
        } else {
            StatusMessage::of(*m_statusline).clear();
        }
        return;
    case FileChoice::Outcome::Other:
        writeLine("An open panel will never return anything other than OK or cancel");
        return;
    }
}

void ViewController::readLoaded(const FrameRate& rate) {
    m_load->readAgain(rate);
    if (!loaded()->edited) {
        resetEdits(); // a take re-timed: other cues
    }
    refreshFindings();
}

void ViewController::refreshFindings() {
    if (!loaded()) {
        return;
    }
    const TargetChoices choices = this->choices();
    // What the document would leave out is found by writing it, to nowhere.
    const BusyCursor busy(m_load->workBytes());
    const LoadedTiming& shown = *loaded();
    showFindings(choices, shown.take ? writingFindings(shown.cues, choices)
                                     : writingFindings(m_load->newdat(), choices));
}

void ViewController::showFindings(const TargetChoices& choices, std::vector<Finding> leftOut) {
    m_findings = targetFindings(loaded()->report.findings, std::move(leftOut), choices);
    emit findingsChanged();
}

void ViewController::openSound() {
    QWidget* parent = m_fileselect ? m_fileselect->window() : nullptr;
    const FileChoice choice = m_chooser->chooseSoundFile(parent, m_sound->folder(chooserFolder()));
    if (choice.outcome == FileChoice::Outcome::Confirmed) {
        setSoundFile(choice.url);
    }
}

void ViewController::setSoundFile(const QUrl& url) {
    const StatusNote note = m_sound->useFile(url, m_load->path());
    if (note.kind != StatusMessage::Kind::Failure) {
        refreshPlayback();
    }
    showStatus(note);
}

void ViewController::chooseDrawings() {
    QWidget* parent = m_fileselect ? m_fileselect->window() : nullptr;
    const QString folder = m_drawings->folder().isEmpty() ? chooserFolder() : m_drawings->folder();
    const FileChoice choice = m_chooser->chooseDrawingsFolder(parent, folder);
    if (choice.outcome == FileChoice::Outcome::Confirmed) {
        showStatus(m_drawings->choose(choice.url.toLocalFile()));
    }
}

void ViewController::refreshPlayback() {
    const bool played = loaded() && m_frames && m_shift;
    player().setTakeLength(played ? takeLengthMs(loaded()->track, m_shift->value(), rate()) : 0);
    emit playbackChanged();
}

ViewController::PlayedMouth ViewController::mouthAt(qint64 ms) const {
    return loaded() ? playedMouthAt(loaded()->track, ms, choices()) : PlayedMouth{};
}

qint64 ViewController::positionOfTrackFrame(std::uint64_t frame) const {
    return positionOfFrame(frame, m_shift ? m_shift->value() : 0, rate());
}

void ViewController::setLetters(bool letters) {
    if (!m_load->setLetters(letters, rate())) {
        return;
    }
    refreshFindings();
    showStatus(StatusMessage::Kind::Done,
               letters ? tr("Reading A to H and X as letter mouth shapes; Convert uses them")
                       : tr("Reading A to H and X as phoneme names again"));
    emit readingChanged();
}

FrameRate ViewController::rate() const {
    return m_rate->rate(require(m_frames, "frames"));
}

void ViewController::setRateIndex(int rateIndex) {
    if (m_rate->rowChosen(rateIndex, m_rateField)) {
        useRate(rate());
    }
}

void ViewController::setRateText() {
    const RateChoice::Typed typed =
        m_rate->typed(require(m_frames, "frames"), require(m_rateField, "rateField"));
    if (typed.refused) {
        showStatus(*typed.refused);
    } else if (typed.use) {
        useRate(*typed.use);
    }
}

void ViewController::useRate(const FrameRate& rate) {
    // A .dat text's frames are what it says, at any rate; a take timed in
    // seconds is timed again, and a project's rate is checked against it.
    if (loaded() && loaded()->take) {
        readLoaded(rate);
        emit readingChanged();
    }
    emit rateChanged(rate);
}

void ViewController::setVoice(int voice) {
    if (loaded() && loaded()->take && static_cast<std::size_t>(voice) != loaded()->voice &&
        !mayLeaveTake()) {
        emit readingChanged(); // the pop-up shows the voice still read
        return;
    }
    if (!m_load->setVoice(voice, rate())) {
        return;
    }
    resetEdits(); // another voice's cues: the undo steps were the other's
    refreshFindings();
    showStatus(StatusMessage::Kind::Done,
               tr("Reading voice '%1'; Convert uses it")
                   .arg(toQString(loaded()->take->voices[loaded()->voice].name)));
    emit readingChanged();
}

void ViewController::setTargetIndex(int targetIndex) {
    if (m_hold) {
        // Each target starts with its own default; the user may then change it.
        m_hold->setChecked(holdsByDefault(targets[static_cast<std::size_t>(
            std::clamp(targetIndex, 0, static_cast<int>(targets.size()) - 1))]));
    }
    emit chartChanged();
}

TargetChoices ViewController::choices() const {
    TargetChoices choices;
    const int targetIndex = require(m_target, "target").currentIndex();
    choices.target = targetIndex >= 0 && static_cast<std::size_t>(targetIndex) < targets.size()
                         ? targets[static_cast<std::size_t>(targetIndex)]
                         : defaultTarget;
    choices.setIndex = require(m_pset, "pset").currentIndex();
    choices.rate = rate();
    choices.letters = letters();
    choices.hold = require(m_hold, "hold").isChecked();
    choices.offset = require(m_shift, "shift").value();
    choices.chart = m_chart->read();
    return choices;
}

MouthChart ViewController::chartInUse() const {
    return m_chart->inUse(m_pset ? m_pset->currentIndex() : 0);
}

void ViewController::chooseChart() {
    QWidget* parent = m_fileselect ? m_fileselect->window() : nullptr;
    const QString folder =
        m_chart->path().isEmpty() ? chooserFolder() : QFileInfo(m_chart->path()).absolutePath();
    const FileChoice choice = m_chooser->chooseChartFile(parent, folder);
    if (choice.outcome != FileChoice::Outcome::Confirmed) {
        return; // nothing asked for, nothing changed
    }
    showStatus(m_chart->choose(choice.url.toLocalFile()));
}

void ViewController::forgetChart() {
    if (const std::optional<StatusNote> note = m_chart->forget(m_load->path())) {
        showStatus(*note);
    }
}

void ViewController::reload() {
    if (!loadedFile().isEmpty()) {
        openFile(loadedFile());
    }
}

QString ViewController::chooserFolder() const {
    return m_load->path().isEmpty() ? QString() : QFileInfo(m_load->path()).absolutePath();
}

void ViewController::showChangeOnDisk(bool stillExists) {
    // Only said, never acted on: the user decides when to read it again.
    // The news comes first, so that it shows however narrow the window.
    if (m_edits->modified()) {
        showStatus(StatusMessage::Kind::Notice,
                   stillExists ? tr("The loaded file has changed on disk; your edits are kept, "
                                    "not saved, and Reload would ask before reading it")
                               : tr("The loaded file is no longer on disk; your edits are kept, "
                                    "not saved"));
    } else {
        showStatus(StatusMessage::Kind::Notice,
                   stillExists ? tr("The loaded file has changed on disk; Convert still uses the "
                                    "text read before")
                               : tr("The loaded file is no longer on disk; Convert still uses the "
                                    "text read before"));
    }
    emit loadedFileChangedOnDisk();
}

void ViewController::reportOpenFailure(const IoError& error, const QString& path) {
    // The label and picture keep showing what is really loaded.
    writeLine("error: " + error.describe(QDir::toNativeSeparators(path)).toStdString());
    showStatus(StatusMessage::Kind::Failure,
               withCapital(error.describe(QFileInfo(path).fileName())));
}

void ViewController::go() {
    ImageView& picture = require(m_Picture, "Picture");
    require(m_pset, "pset");
    require(m_frames, "frames");
    require(m_statusline, "statusline");
    const TargetChoices choices = this->choices();

    const BusyCursor busy(m_load->workBytes());
    picture.setImageNamed(QStringLiteral("happy"));
    ConvertAction::Written written = m_convert->run(choices, *m_load);
    if (written.leftOut && loaded()) {
        // The same the controls gave, now from the document written.
        showFindings(choices, std::move(*written.leftOut));
    }

    const ConvertFacts facts{written.keyframes, written.holdSteps, choices.setIndex,   choices.rate,
                             choices.target,    m_findings,        m_edits->modified()};
    const ConvertMessage message = convertStatus(facts, loaded());
    showStatus(message.warning ? StatusMessage::Kind::Notice : StatusMessage::Kind::Done,
               message.text);
    emit converted();
}

void ViewController::writeLine(std::string_view line) {
    m_output->writeLines({DiagnosticLine::copyOf(line)});
}

void ViewController::showStatus(StatusMessage::Kind kind, const QString& message) {
    StatusMessage::of(require(m_statusline, "statusline")).show(kind, message);
}

void ViewController::showStatus(const StatusNote& note) {
    showStatus(note.kind, note.text);
}

} // namespace mouthkey
