#include "app/ViewController.h"

#include "ChartChoice.h"
#include "ConvertAction.h"
#include "TakeSound.h"
#include "TimingLoad.h"
#include "app/BusyCursor.h"
#include "app/ElidedLabel.h"
#include "app/ImageView.h"
#include "app/LocaleNumbers.h"
#include "app/TakePlayer.h"
#include "conversion/KeyframeDocument.h"
#include "conversion/Playback.h"
#include "textinput/Utf8Text.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QSignalBlocker>
#include <QStatusBar>

#include <algorithm>
#include <vector>

namespace mouthkey {

namespace {

const QString noFile = QStringLiteral("None");

// A control the logic relies on must be connected: without it the window
// was put together wrongly, and carrying on would only hide that.
template <class Control> Control& require(const QPointer<Control>& control, const char* name) {
    if (!control) {
        qFatal("Mouthkey: the window has no \"%s\" control connected", name);
    }
    return *control;
}

} // namespace

ViewController::ViewController(std::unique_ptr<FileChooser> chooser, std::ostream& diagnostics,
                               QObject* parent)
    : ViewController(std::move(chooser), std::make_unique<StreamOutput>(diagnostics), parent) {}

ViewController::ViewController(std::unique_ptr<FileChooser> chooser,
                               std::unique_ptr<DiagnosticOutput> diagnostics, QObject* parent)
    : QObject(parent), m_chooser(std::move(chooser)), m_output(std::move(diagnostics)),
      m_load(new TimingLoad(this)), m_chart(new ChartChoice(this)), m_sound(new TakeSound(this)),
      m_convert(new ConvertAction(*m_output, this)) {
    connect(m_load, &TimingLoad::changedOnDisk, this, &ViewController::showChangeOnDisk);
    connect(m_chart, &ChartChoice::chartChanged, this, &ViewController::chartChanged);
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

TakePlayer& ViewController::player() const {
    return m_sound->player();
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

void ViewController::openFile(const QUrl& url) {
    QLabel& label = require(m_fileselect, "fileselect");
    ImageView& picture = require(m_Picture, "Picture");
    require(m_statusline, "statusline");

    writeLine(url.toString(QUrl::FullyEncoded).toStdString());
    const QString path = url.toLocalFile();
    if (path.isEmpty()) {
        reportOpenFailure({IoError::Kind::Unreadable, QStringLiteral("not a local file")},
                          url.toDisplayString());
        return;
    }

    const QFileInfo info(path);
    const BusyCursor busy(info.size());
    // The load reads the bytes, their text, its format and its take.
    if (const std::optional<IoError> error = m_load->read(url, rate())) {
        reportOpenFailure(*error, path);
        return;
    }
    refreshFindings();
    label.setText(info.fileName());
    // Tool tips guess at rich text; a path is always shown as spelled.
    label.setToolTip(
        ElidedLabel::wrappingToolTip(QDir::toNativeSeparators(info.absoluteFilePath())));
    picture.setImageNamed(QStringLiteral("smile"));
    const LoadNote chart = m_chart->useFolderChart(info.absoluteFilePath());
    const LoadNote sound = m_sound->useSoundFor(info.absoluteFilePath(), loaded()->take.get());
    const LoadNote drawings = useFolderDrawings(info.absoluteFilePath());
    QString loadedText = QStringLiteral("Loaded %1").arg(info.fileName());
    for (const QString& note :
         {readingNotice(*loaded()), loaded()->notice, chart.text, sound.text, drawings.text}) {
        if (!note.isEmpty()) {
            loadedText += QStringLiteral("; ") + note;
        }
    }
    showStatus(chart.problem || sound.problem || drawings.problem ? StatusMessage::Kind::Notice
                                                                  : StatusMessage::Kind::Done,
               loadedText);

    player().seek(0);
    emit fileLoaded(url);
    emit timingLoaded();
    refreshPlayback();
}

void ViewController::readLoaded(const FrameRate& rate) {
    m_load->readAgain(rate);
    refreshFindings();
}

void ViewController::refreshFindings() {
    if (!loaded()) {
        return;
    }
    const TargetChoices choices = this->choices();
    std::vector<Finding> leftOut;
    if (!choices.plainPosition()) {
        // What the document would leave out is found by writing it, to nowhere.
        const BusyCursor busy(m_load->workBytes());
        m_load->write(
            choices, [](std::string_view) {}, leftOut);
    }
    showFindings(choices, std::move(leftOut));
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

LoadNote ViewController::useFolderDrawings(const QString& timingFile) {
    if (m_drawingsChosen) {
        return {};
    }
    const QString beside = MouthDrawings::folderBeside(timingFile);
    if (beside.isEmpty()) {
        if (!m_drawings.folder().isEmpty()) {
            m_drawings.setFolder({});
            emit drawingsChanged();
        }
        return {};
    }
    const MouthDrawings::FolderReading reading = m_drawings.setFolder(beside);
    emit drawingsChanged();
    QString text = tr("mouth drawings from the %1 folder beside it (%2 of them)")
                       .arg(QFileInfo(beside).fileName(), localeNumber(reading.found));
    if (!reading.problems.isEmpty()) {
        text += QStringLiteral("; ") + reading.problems.join(QStringLiteral("; "));
    }
    return {text, !reading.problems.isEmpty()};
}

void ViewController::chooseDrawings() {
    QWidget* parent = m_fileselect ? m_fileselect->window() : nullptr;
    const QString folder = m_drawings.folder().isEmpty() ? chooserFolder() : m_drawings.folder();
    const FileChoice choice = m_chooser->chooseDrawingsFolder(parent, folder);
    if (choice.outcome != FileChoice::Outcome::Confirmed) {
        return;
    }
    const QString path = choice.url.toLocalFile();
    const MouthDrawings::FolderReading reading = m_drawings.setFolder(path);
    m_drawingsChosen = true;
    emit drawingsChanged();
    QString text =
        reading.found == 0
            ? tr("%1 holds no mouth drawing named by shape (AI.png, MBP.svg, rest.png, ...): "
                 "the built-in drawings are shown")
                  .arg(QFileInfo(path).fileName())
            : tr("Showing the mouth drawings in %1 (%2 of them); the built-in ones stand in for "
                 "the rest")
                  .arg(QFileInfo(path).fileName(), localeNumber(reading.found));
    if (!reading.problems.isEmpty()) {
        text += QStringLiteral("; ") + reading.problems.join(QStringLiteral("; "));
    }
    showStatus(reading.found == 0 || !reading.problems.isEmpty() ? StatusMessage::Kind::Notice
                                                                 : StatusMessage::Kind::Done,
               text);
}

void ViewController::refreshPlayback() {
    TakePlayer& player = this->player();
    if (loaded() && !loaded()->track.empty() && m_frames && m_shift) {
        // The last cue is held for its frame.
        const std::int64_t last =
            static_cast<std::int64_t>(loaded()->track.lastFrame()) + m_shift->value() + 1;
        player.setTakeLength(last > 1 ? msOfFrame(static_cast<std::uint64_t>(last), rate()) : 0);
    } else {
        player.setTakeLength(0);
    }
    emit playbackChanged();
}

ViewController::PlayedMouth ViewController::mouthAt(qint64 ms) const {
    PlayedMouth shown;
    if (!loaded()) {
        return shown;
    }
    const KeyframeTrack& track = loaded()->track;
    const TargetChoices c = choices();
    const PlaybackPoint point =
        playbackAt(track, ms, c.rate, c.offset, c.letters, numberFormatOf());
    shown.label = toQString(point.label);
    const auto frame = static_cast<std::int64_t>(point.frame) - c.offset;
    if (frame >= 0) {
        shown.trackFrame = static_cast<std::uint64_t>(frame);
    }
    if (!point.keyframe) {
        return shown; // at rest until the first cue
    }
    shown.mouth.name = toQString(point.shape);
    shown.mouth.letters = c.letters;
    if (c.target == Target::Position) {
        // As the preview marks them: what gets no position.
        shown.mouth.noPosition = point.name != KeyframeTrack::Name::Phoneme;
        return shown;
    }
    // A key without a drawing is left out of the document, so the drawing
    // before it holds on there; a take names few mouths, so few are passed.
    // Drawings are looked up by the name as written, as the document's are.
    const MouthChart chart = chartInUse();
    const auto drawn = [&](const KeyframeTrack::Keyframe& k) {
        return !k.written.empty() && chart.drawingOf(k.written, c.letters);
    };
    if (drawn(track.at(*point.keyframe))) {
        return shown;
    }
    shown.mouth.noPosition = true;
    constexpr std::size_t looked = 4096;
    for (std::size_t i = *point.keyframe, n = 0; i-- > 0 && n < looked; ++n) {
        const KeyframeTrack::Keyframe k = track.at(i);
        if (drawn(k)) {
            shown.mouth.name = toQString(shapeOf(k, c.letters));
            shown.mouth.noPosition = false;
            break;
        }
    }
    return shown;
}

qint64 ViewController::positionOfTrackFrame(std::uint64_t frame) const {
    const std::int64_t offset = m_shift ? m_shift->value() : 0;
    const std::int64_t played = static_cast<std::int64_t>(frame) + offset;
    return played <= 1 ? 0 : msOfFrame(static_cast<std::uint64_t>(played), rate());
}

void ViewController::setLetters(bool letters) {
    const BusyCursor busy(m_load->workBytes());
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
    return m_typedRate ? *m_typedRate : FrameRate(require(m_frames, "frames").currentIndex());
}

void ViewController::setRateIndex(int rateIndex) {
    if (rateIndex < 0 && m_typedRate) {
        return; // the pop-up is cleared for a typed rate
    }
    m_typedRate.reset();
    if (m_rateField) {
        m_rateField->setText(toQString(frameRateTitle(rateIndex)));
    }
    useRate(rate());
}

void ViewController::setRateText() {
    QLineEdit& field = require(m_rateField, "rateField");
    const QString text = field.text().trimmed();
    const std::optional<FrameRate> typed = FrameRate::fromText(text.toStdString());
    if (!typed) {
        showStatus(StatusMessage::Kind::Failure,
                   tr("'%1' is not a frame rate: type a number from 1 to 1000, such as 23.976; "
                      "the rate in use is unchanged")
                       .arg(text));
        field.setText(toQString(rate().title()));
        return;
    }
    field.setText(toQString(typed->title()));
    if (*typed == rate()) {
        return;
    }
    QComboBox& rates = require(m_frames, "frames");
    const auto row = std::find(frameRateTitles.begin(), frameRateTitles.end(), typed->title());
    if (row != frameRateTitles.end()) {
        rates.setCurrentIndex(static_cast<int>(row - frameRateTitles.begin()));
        return; // setRateIndex takes it from there
    }
    m_typedRate = *typed;
    {
        const QSignalBlocker quiet(rates);
        rates.setCurrentIndex(-1);
    }
    useRate(*typed);
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
    if (!m_load->setVoice(voice, rate())) {
        return;
    }
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
                         : Target::Position;
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
    showStatus(StatusMessage::Kind::Notice,
               stillExists ? tr("The loaded file has changed on disk; Convert still uses the "
                                "text read before")
                           : tr("The loaded file is no longer on disk; Convert still uses the "
                                "text read before"));
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

    const ConvertFacts facts{written.keyframes, written.holdSteps, choices.setIndex,
                             choices.rate,      choices.target,    m_findings};
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
