#pragma once

#include "app/FileChooser.h"

#include <QMainWindow>

#include <iosfwd>
#include <memory>

class QBoxLayout;
class QComboBox;

namespace mouthkey {

class ViewController;

// Mouthkey's window: lays out the controls, connects them to the
// ViewController that drives them, and takes dropped timing files.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(std::unique_ptr<FileChooser> chooser, std::ostream& diagnostics,
               QWidget* parent = nullptr);

    ViewController& controller() const { return *m_controller; }

    // What Help > About shows: the name, the version and what it is for.
    static QString aboutText();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildForm();
    void buildMenu();
    void buildOverview(QBoxLayout* page, QComboBox* pset, QComboBox* frames);

    ViewController* m_controller;
};

} // namespace mouthkey
