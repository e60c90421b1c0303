#include "app/MainWindow.h"

#include "app/DroppedFile.h"
#include "app/ImageView.h"
#include "app/TimingOverview.h"
#include "app/ViewController.h"

#include <QAction>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace mouthkey {

namespace {

QString withShortcut(const QString& text, const QKeySequence& keys) {
    return QStringLiteral("%1 (%2)").arg(text, keys.toString(QKeySequence::NativeText));
}

} // namespace

MainWindow::MainWindow(std::unique_ptr<FileChooser> chooser, std::ostream& diagnostics,
                       QWidget* parent)
    : QMainWindow(parent), m_controller(new ViewController(std::move(chooser), diagnostics, this)) {
    setWindowTitle(QStringLiteral("Mouthkey"));
    setAcceptDrops(true);
    buildForm();
    buildMenu();
    m_controller->viewDidLoad();
}

void MainWindow::buildForm() {
    auto* central = new QWidget(this);

    auto* openButton = new QPushButton(tr("&Open…"), central);
    openButton->setObjectName(QStringLiteral("openButton"));
    openButton->setAccessibleName(tr("Open timing file"));
    openButton->setToolTip(withShortcut(tr("Choose a .dat timing file"), QKeySequence::Open));

    auto* fileselect = new QLabel(central);
    fileselect->setAccessibleName(tr("Loaded file"));
    fileselect->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A file may be called "<i>take.dat"; its name is never markup.
    fileselect->setTextFormat(Qt::PlainText);
    // A long file name is cut off rather than stretching the window.
    fileselect->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    fileselect->setMinimumWidth(180);

    auto* pset = new QComboBox(central);
    pset->setAccessibleName(tr("Phoneme set"));
    auto* psetCaption = new QLabel(tr("&Phoneme set:"), central);
    psetCaption->setBuddy(pset);

    auto* frames = new QComboBox(central);
    frames->setAccessibleName(tr("Frame rate"));
    frames->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* fpstext = new QLabel(tr("Frame &rate (fps):"), central);
    fpstext->setBuddy(frames);

    auto* convertButton = new QPushButton(tr("&Convert"), central);
    convertButton->setObjectName(QStringLiteral("convertButton"));
    convertButton->setAccessibleName(tr("Convert and copy keyframes"));
    convertButton->setToolTip(withShortcut(tr("Convert and copy the keyframes to the clipboard"),
                                           QKeySequence(Qt::CTRL | Qt::Key_Return)));

    auto* picture = new ImageView(central);
    picture->setAccessibleName(tr("Mouth picture"));

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(openButton);
    fileRow->addWidget(fileselect, 1);

    auto* framesRow = new QHBoxLayout;
    framesRow->addWidget(frames);
    framesRow->addStretch(1);

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    form->addRow(tr("Timing file:"), fileRow);
    form->addRow(psetCaption, pset);
    form->addRow(fpstext, framesRow);

    auto* convertRow = new QHBoxLayout;
    convertRow->addStretch(1);
    convertRow->addWidget(convertButton);

    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addStretch(1);
    left->addLayout(convertRow);

    auto* layout = new QHBoxLayout;
    layout->addLayout(left, 1);
    layout->addSpacing(12);
    layout->addWidget(picture, 0, Qt::AlignCenter);
    auto* page = new QVBoxLayout(central);
    page->addLayout(layout);
    buildOverview(page, pset, frames);
    setCentralWidget(central);

    setTabOrder(openButton, pset);
    setTabOrder(pset, frames);
    setTabOrder(frames, convertButton);

    m_controller->setFrames(frames);
    m_controller->setFpstext(fpstext);
    m_controller->setPset(pset);
    m_controller->setFileselect(fileselect);
    m_controller->setPicture(picture);
    m_controller->setStatusline(statusBar());

    connect(openButton, &QPushButton::clicked, m_controller, &ViewController::Opendat);
    connect(convertButton, &QPushButton::clicked, m_controller, &ViewController::go);
}

// The summary, findings and preview of the loaded file, below the form in
// the window's spare room. They follow the pop-ups and read what loads.
void MainWindow::buildOverview(QBoxLayout* page, QComboBox* pset, QComboBox* frames) {
    auto* overview = new TimingOverview; // the layout gives it its parent
    page->addWidget(overview, 1);
    connect(pset, &QComboBox::currentIndexChanged, overview, &TimingOverview::setSetIndex);
    connect(frames, &QComboBox::currentIndexChanged, overview, &TimingOverview::setRateIndex);
    connect(m_controller, &ViewController::timingLoaded, overview, [this, overview] {
        overview->showTiming(*m_controller->loaded(), m_controller->newdat());
    });
}

void MainWindow::buildMenu() {
    QMenu* file = menuBar()->addMenu(tr("&File"));

    QAction* open = file->addAction(tr("&Open…"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(open, &QAction::triggered, m_controller, &ViewController::Opendat);

    QAction* convert = file->addAction(tr("&Convert and Copy"));
    convert->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    connect(convert, &QAction::triggered, m_controller, &ViewController::go);

    file->addSeparator();
    QAction* quit = file->addAction(tr("&Quit"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    QAction* about = help->addAction(tr("&About Mouthkey"));
    about->setObjectName(QStringLiteral("aboutAction"));
    about->setMenuRole(QAction::AboutRole);
    connect(about, &QAction::triggered, this,
            [this] { QMessageBox::about(this, tr("About Mouthkey"), aboutText()); });
}

QString MainWindow::aboutText() {
    return tr("<h3>Mouthkey %1</h3>"
              "<p>Turns lip-sync timing files into keyframes for compositing.</p>")
        .arg(QStringLiteral(MOUTHKEY_VERSION));
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (droppedDatFile(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (droppedDatFile(event->mimeData())) {
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
    }
}

} // namespace mouthkey
