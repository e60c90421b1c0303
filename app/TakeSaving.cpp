#include "TakeSaving.h"

#include "RecoveryFile.h"
#include "TimingLoad.h"
#include "app/FileChooser.h"
#include "app/LocaleNumbers.h"
#include "app/TakeEdits.h"
#include "conversion/FrameTime.h"
#include "textinput/TimingFormats.h"
#include "textinput/TimingSave.h"
#include "textinput/Utf8Text.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QUndoStack>

#include <algorithm>

namespace mouthkey {

namespace {

// "Rhubarb TSV (*.tsv)"
QString filterOf(const TimingFormat& format) {
    QStringList patterns;
    for (const std::string_view extension : format.extensions) {
        patterns << QStringLiteral("*.") + toQString(extension);
    }
    return QStringLiteral("%1 (%2)").arg(toQString(format.title), patterns.join(u' '));
}

// What Save As offers: the take's own format where Mouthkey writes it, then
// the two every take can be written as.
std::vector<const TimingFormat*> saveFormats(const TimingFormat& own) {
    std::vector<const TimingFormat*> formats;
    if (own.write) {
        formats.push_back(&own);
    }
    for (const std::string_view name : {"dat", "tsv"}) {
        const TimingFormat* format = formatNamed(name);
        if (format && format->write &&
            std::find(formats.begin(), formats.end(), format) == formats.end()) {
            formats.push_back(format);
        }
    }
    return formats;
}

} // namespace

TakeSaving::TakeSaving(TimingLoad& load, TakeEdits& edits, QObject* parent)
    : QObject(parent), m_load(load), m_edits(edits),
      // The file keeps the cues, not their places: a .dat text.
      m_recovery(new RecoveryFile([this] { return datText(m_edits.cues()); }, this)) {
    // Once the stack has moved: during an edit's first step it is still clean.
    connect(m_edits.undoStack(), &QUndoStack::indexChanged, this, [this] {
        if (m_edits.modified()) {
            m_recovery->editsChanged();
        }
    });
    // Undone back to the file's state: nothing left to recover.
    connect(&m_edits, &TakeEdits::modifiedChanged, this, [this](bool modified) {
        if (!modified) {
            m_recovery->remove();
        }
    });
}

TakeSaving::~TakeSaving() = default;

TakeSaving::Outcome TakeSaving::save(QWidget* parent, FileChooser& chooser, const FrameRate& rate) {
    if (!m_load.loaded()) {
        return {};
    }
    const TimingFormat& format = *m_load.loaded()->format;
    // Mouthkey never writes a project, nor a take over the sound it was timed from.
    if (!format.write || m_load.loaded()->timedFromSound) {
        return saveAs(parent, chooser, rate);
    }
    return saveTo(parent, m_load.path(), format, rate);
}

TakeSaving::Outcome TakeSaving::saveAs(QWidget* parent, FileChooser& chooser,
                                       const FrameRate& rate) {
    if (!m_load.loaded()) {
        return {};
    }
    const std::vector<const TimingFormat*> formats = saveFormats(*m_load.loaded()->format);
    QStringList filters;
    for (const TimingFormat* format : formats) {
        filters << filterOf(*format);
    }
    const bool fromSound = m_load.loaded()->timedFromSound;
    const QFileInfo loadedFile(m_load.path());
    // A take timed from take.wav is offered take.dat beside it.
    const QString suggested =
        fromSound && !formats.front()->extensions.empty()
            ? loadedFile.dir().filePath(loadedFile.completeBaseName() + QStringLiteral(".") +
                                        toQString(formats.front()->extensions.front()))
            : m_load.path();
    const FileChoice choice = chooser.chooseSaveFile(parent, suggested, filters);
    if (choice.outcome != FileChoice::Outcome::Confirmed) {
        return {};
    }
    const TimingFormat& format = *formats[static_cast<std::size_t>(
        std::clamp<int>(choice.filter, 0, static_cast<int>(formats.size()) - 1))];
    QString path = choice.url.toLocalFile();
    // A name without an extension gets the format's.
    if (QFileInfo(path).suffix().isEmpty() && !format.extensions.empty()) {
        path += QStringLiteral(".") + toQString(format.extensions.front());
    }
    const bool sameFile = QFileInfo(path) == loadedFile;
    if (sameFile && fromSound) {
        return {false, StatusNote{StatusMessage::Kind::Failure,
                                  tr("%1 is the sound the take was timed from; the take is not "
                                     "saved over it")
                                      .arg(loadedFile.fileName())}};
    }
    Outcome outcome = saveTo(parent, path, format, rate);
    if (outcome.saved && !sameFile) {
        m_load.savedAs(path, format);
        m_recovery->setSource(path);
        emit savedAs();
    } else if (outcome.saved) {
        m_load.savedAs(path, format);
    }
    return outcome;
}

TakeSaving::Outcome TakeSaving::saveTo(QWidget* parent, const QString& path,
                                       const TimingFormat& format, const FrameRate& rate) {
    const QString name = QFileInfo(path).fileName();
    if (const std::uint64_t left = m_load.linesNotCues(); left > 0) {
        QMessageBox ask(QMessageBox::Warning, tr("Save"),
                        left == 1 ? tr("1 line of the file is not a cue, and will not be written "
                                       "to %1.")
                                        .arg(name)
                                  : tr("%1 lines of the file are not cues, and will not be "
                                       "written to %2.")
                                        .arg(localeNumber(left), name),
                        QMessageBox::Save | QMessageBox::Cancel, parent);
        ask.setObjectName(QStringLiteral("linesLeftOutQuestion"));
        ask.setInformativeText(tr("The findings list them as left out."));
        ask.setDefaultButton(QMessageBox::Cancel);
        if (ask.exec() != QMessageBox::Save) {
            return {false, StatusNote{StatusMessage::Kind::Done, tr("Save cancelled")}};
        }
    }
    const LoadedTiming& loaded = *m_load.loaded();
    if (format.name == "tsv" && !loaded.letters && !askLettersRead(parent, name)) {
        return {false, StatusNote{StatusMessage::Kind::Done, tr("Save cancelled")}};
    }
    TimingTextStyle style = loaded.style;
    style.framesPerSecond = framesPerSecond(rate);
    const std::vector<Cue>& cues = m_edits.cues();
    if (const std::optional<IoError> error =
            saveTimingFile(path, format, cues, style, loaded.encoding)) {
        return {false,
                StatusNote{StatusMessage::Kind::Failure, withCapital(error->describe(name))}};
    }
    m_edits.markSaved();
    m_recovery->remove();
    m_load.watchAgain();
    return {true, StatusNote{StatusMessage::Kind::Done,
                             tr("Saved %1 cues to %2 as %3")
                                 .arg(localeNumber(cues.size()), name, toQString(format.title))}};
}

bool TakeSaving::askLettersRead(QWidget* parent, const QString& name) {
    // Its reader reads every name as a letter take's: a phoneme name that is
    // also a letter comes back as that letter's mouth.
    std::uint64_t letterNamed = 0;
    QStringList letters;
    for (const Cue& cue : m_edits.cues()) {
        for (const LetterShape& shape : letterShapes) {
            if (cue.name == shape.letter && shape.phoneme != shape.letter) {
                ++letterNamed;
                const QString reading = QStringLiteral("%1 as %2")
                                            .arg(toQString(shape.letter), toQString(shape.phoneme));
                if (!letters.contains(reading)) {
                    letters << reading;
                }
            }
        }
    }
    if (letterNamed == 0) {
        return true;
    }
    QMessageBox ask(QMessageBox::Warning, tr("Save"),
                    tr("Rhubarb TSV names mouths by letter: %1 read back from %2 as letter "
                       "mouth shapes (%3).")
                        .arg(letterNamed == 1 ? tr("1 cue is")
                                              : tr("%1 cues are").arg(localeNumber(letterNamed)),
                             name, letters.join(QStringLiteral(", "))),
                    QMessageBox::Save | QMessageBox::Cancel, parent);
    ask.setObjectName(QStringLiteral("lettersReadQuestion"));
    ask.setInformativeText(tr("A .dat file keeps the names as they are."));
    ask.setDefaultButton(QMessageBox::Cancel);
    return ask.exec() == QMessageBox::Save;
}

bool TakeSaving::mayLeave(QWidget* parent, FileChooser& chooser, const FrameRate& rate) {
    if (!m_edits.modified() || !m_load.loaded()) {
        return true;
    }
    QMessageBox ask(QMessageBox::Warning, tr("Unsaved Edits"),
                    m_load.loaded()->timedFromSound
                        ? tr("Save the take timed from %1?").arg(m_load.loaded()->source)
                        : tr("Save the edits to %1?").arg(m_load.loaded()->source),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    ask.setObjectName(QStringLiteral("unsavedEditsQuestion"));
    ask.setInformativeText(tr("Edits not saved are lost."));
    ask.setDefaultButton(QMessageBox::Save);
    switch (ask.exec()) {
    case QMessageBox::Save:
        return save(parent, chooser, rate).saved;
    case QMessageBox::Discard:
        m_recovery->remove();
        return true;
    default:
        return false;
    }
}

std::optional<StatusNote> TakeSaving::offerRecovered(QWidget* parent) {
    m_recovery->setSource(m_load.path());
    std::optional<RecoveryFile::Found> found = m_recovery->found();
    if (!found) {
        return std::nullopt;
    }
    QMessageBox ask(
        QMessageBox::Question, tr("Recover Edits"),
        tr("Mouthkey kept edits of %1 that were not saved, from %2.")
            .arg(m_load.loaded()->source, QLocale().toString(found->when, QLocale::ShortFormat)),
        QMessageBox::Discard, parent);
    ask.setObjectName(QStringLiteral("recoverEditsQuestion"));
    ask.setInformativeText(tr("Restore them? Undo takes them back again."));
    QPushButton* restore = ask.addButton(tr("&Restore"), QMessageBox::AcceptRole);
    ask.setDefaultButton(restore);
    ask.exec();
    if (ask.clickedButton() != restore) {
        m_recovery->remove();
        return StatusNote{StatusMessage::Kind::Done, tr("Kept edits discarded")};
    }
    m_edits.replaceAll(std::move(found->cues), tr("Restore Edits"));
    return StatusNote{StatusMessage::Kind::Done,
                      tr("Restored the edits kept from %1")
                          .arg(QLocale().toString(found->when, QLocale::ShortFormat))};
}

} // namespace mouthkey
