#include "app/ViewController.h"

#include "app/BusyCursor.h"
#include "app/ImageView.h"
#include "conversion/DataLineConversion.h"
#include "conversion/KeyframeDocument.h"
#include "conversion/TimingCheck.h"
#include "textinput/FileBytes.h"
#include "textinput/TextDecoding.h"
#include "textinput/Utf8Text.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QStatusBar>

#include <algorithm>
#include <ostream>

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

QString withCapital(QString text) {
    if (!text.isEmpty()) {
        text[0] = text[0].toUpper();
    }
    return text;
}

} // namespace

ViewController::ViewController(std::unique_ptr<FileChooser> chooser, std::ostream& diagnostics,
                               QObject* parent)
    : QObject(parent), m_chooser(std::move(chooser)), m_diagnostics(diagnostics),
      m_fps(rateLine(0)), m_newdat("new dat"), m_headertop(mouthkey::headertop),
      m_headerbottom(mouthkey::headerbottom), m_footer(mouthkey::footer),
      m_mapping(buildMapping(-1)) {}

ViewController::~ViewController() = default;

void ViewController::viewDidLoad() {
    QComboBox& rates = require(m_frames, "frames");
    QComboBox& sets = require(m_pset, "pset");
    QLabel& label = require(m_fileselect, "fileselect");
    ImageView& picture = require(m_Picture, "Picture");

    rates.clear();
    for (const std::string_view title : frameRateTitles) {
        rates.addItem(toQString(title));
    }
    sets.clear();
    for (const std::string_view title : phonemeSetTitles) {
        sets.addItem(toQString(title));
    }
    label.setText(noFile);
    picture.setImageNamed(QStringLiteral("rest"));
}

void ViewController::Opendat() {
    QLabel& label = require(m_fileselect, "fileselect");
    ImageView& picture = require(m_Picture, "Picture");
    require(m_statusline, "statusline");

    const FileChoice choice = m_chooser->chooseDatFile(label.window());
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
        m_statusline->clearMessage();
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
    const FileBytes read = readFileBytes(path, SourceKinds::RegularFilesOnly);
    if (read.error) {
        reportOpenFailure(*read.error, path);
        return;
    }
    DecodedText decoded = decodeToUtf8(read.bytes);
    if (decoded.error) {
        reportOpenFailure(*decoded.error, path);
        return;
    }

    // Only now, with the text safely in hand, does the window claim the new file.
    m_newdat = std::move(decoded.text);
    m_loaded = LoadedTiming{info.fileName(), checkTimingText(m_newdat)};
    label.setText(info.fileName());
    // Tool tips guess at rich text; a path is always shown as spelled.
    label.setToolTip(QStringLiteral("<p style='white-space:pre'>%1</p>")
                         .arg(QDir::toNativeSeparators(info.absoluteFilePath()).toHtmlEscaped()));
    picture.setImageNamed(QStringLiteral("smile"));
    showStatus(QStringLiteral("Loaded %1").arg(info.fileName()));
    emit timingLoaded();
}

void ViewController::reportOpenFailure(const IoError& error, const QString& path) {
    // The label and picture keep showing what is really loaded.
    writeLine("error: " + error.describe(QDir::toNativeSeparators(path)).toStdString());
    showStatus(withCapital(error.describe(QFileInfo(path).fileName())));
}

void ViewController::go() {
    ImageView& picture = require(m_Picture, "Picture");
    QComboBox& sets = require(m_pset, "pset");
    QComboBox& rates = require(m_frames, "frames");
    require(m_statusline, "statusline");

    const BusyCursor busy(static_cast<std::int64_t>(m_newdat.size()));
    picture.setImageNamed(QStringLiteral("happy"));
    writeLine("");

    const int setIndex = sets.currentIndex();
    m_mapping = buildMapping(setIndex);
    const int rateIndex = rates.currentIndex();
    m_fps = rateLine(rateIndex);
    m_fpsheader = m_fps;
    m_newdatout = convertDataLines(m_newdat, m_mapping);

    for (const std::string_view piece : {m_headertop, std::string_view(m_fpsheader), m_headerbottom,
                                         std::string_view(m_newdatout), m_footer}) {
        writeLine(piece);
    }

    const std::string document =
        assembleDocument(m_headertop, m_fpsheader, m_headerbottom, m_newdatout, m_footer);
    QGuiApplication::clipboard()->setText(toQString(document), QClipboard::Clipboard);

    const auto keyframes = std::count(m_newdatout.begin(), m_newdatout.end(), '\n');
    showStatus(convertStatus(keyframes, m_loaded, setIndex, rateIndex).text);
}

void ViewController::writeLine(std::string_view line) {
    // Flushed at once, so that a pipe sees each line as it happens.
    m_diagnostics.write(line.data(), static_cast<std::streamsize>(line.size()));
    m_diagnostics.put('\n');
    m_diagnostics.flush();
}

void ViewController::showStatus(const QString& message) {
    require(m_statusline, "statusline").showMessage(message);
}

} // namespace mouthkey
