#include "app/MainWindow.h"

#include "app/ViewController.h"
#include "textinput/SoundFiles.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace mouthkey {

QPlainTextEdit* MainWindow::buildScript(QBoxLayout* row, QWidget* parent) {
    auto* script = new QPlainTextEdit(parent);
    script->setObjectName(QStringLiteral("scriptField"));
    script->setAccessibleName(tr("Script"));
    script->setPlaceholderText(tr("The dialogue, for a sound"));
    script->setToolTip(
        tr("The dialogue a sound opened next is timed by, typed or pasted: its words are found in "
           "the speech, then their phones. Left empty, NAME.txt beside the sound fills it; "
           "without either, the phones are heard alone."));
    script->setTabChangesFocus(true);
    // One line of the form, as a line edit is, that keeps the script's line
    // breaks (a speaker's name starts a line): the preview keeps the room.
    script->setFixedHeight(QLineEdit().sizeHint().height());
    script->setLineWrapMode(QPlainTextEdit::NoWrap);
    script->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    script->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    script->document()->setDocumentMargin(2);
    script->setMinimumWidth(140);
    auto* caption = new QLabel(tr("Scrip&t:"), parent);
    caption->setBuddy(script);
    row->addSpacing(12);
    row->addWidget(caption);
    row->addWidget(script, 1);
    m_controller->setScript(script);
    return script;
}

void MainWindow::dropSound(const QUrl& url, const QPoint& at) {
    // A sound the recognizer cannot read is only ever played.
    const bool timable = fileOpensAsSound(url.toLocalFile());
    if (!m_controller->loaded() && timable) {
        m_controller->openFile(url);
        return;
    }
    if (!timable) {
        m_controller->setSoundFile(url);
        return;
    }
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("droppedSoundMenu"));
    QAction* time = menu.addAction(tr("&Time Its Speech as a New Take"));
    QAction* play = menu.addAction(tr("&Play %1 with It").arg(m_controller->loaded()->source));
    QAction* chosen = menu.exec(at);
    if (chosen == time) {
        m_controller->openFile(url);
    } else if (chosen == play) {
        m_controller->setSoundFile(url);
    }
}

} // namespace mouthkey
