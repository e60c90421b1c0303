#pragma once

#include "ConvertAction.h"
#include "TimingLoad.h"
#include "app/FileChooser.h"
#include "app/ImageView.h"
#include "app/MainWindow.h"
#include "app/StatusMessage.h"
#include "app/ViewController.h"

#include "TestSupport.h"

#include <QByteArray>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <memory>
#include <sstream>
#include <string>

namespace mouthkey::testing {

// The controller's parts, which hold what it loaded and what Convert wrote.
inline const TimingLoad& loadOf(const ViewController& vc) {
    return *vc.findChild<TimingLoad*>(QString(), Qt::FindDirectChildrenOnly);
}
inline const ConvertAction& convertOf(const ViewController& vc) {
    return *vc.findChild<ConvertAction*>(QString(), Qt::FindDirectChildrenOnly);
}

// Answers in place of the file dialogs, from a queue the test fills.
class ScriptedChooser final : public FileChooser {
public:
    std::deque<FileChoice> answers;
    int asked = 0;
    int chartsAsked = 0;
    int soundsAsked = 0;
    int foldersAsked = 0;
    FileChoice chooseDatFile(QWidget*, const QString&) override {
        ++asked;
        return next();
    }
    FileChoice chooseChartFile(QWidget*, const QString&) override {
        ++chartsAsked;
        return next();
    }
    FileChoice chooseSoundFile(QWidget*, const QString&) override {
        ++soundsAsked;
        return next();
    }
    FileChoice chooseDrawingsFolder(QWidget*, const QString&) override {
        ++foldersAsked;
        return next();
    }
    // What Save As offered, last.
    QString saveSuggested;
    QStringList saveFilters;
    FileChoice chooseSaveFile(QWidget*, const QString& suggested,
                              const QStringList& filters) override {
        ++savesAsked;
        saveSuggested = suggested;
        saveFilters = filters;
        return next();
    }
    int savesAsked = 0;

private:
    FileChoice next() {
        if (answers.empty()) {
            return {FileChoice::Outcome::Cancelled, {}};
        }
        FileChoice answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// A window as the application builds it, with a scripted chooser and its
// diagnostic lines captured.
struct AppUnderTest {
    std::ostringstream out;
    ScriptedChooser* chooser = nullptr;
    std::unique_ptr<MainWindow> window;
    QTemporaryDir dir;

    AppUnderTest() {
        auto scripted = std::make_unique<ScriptedChooser>();
        chooser = scripted.get();
        window = std::make_unique<MainWindow>(std::move(scripted), out);
    }

    ViewController& vc() const { return window->controller(); }

    QString pathOf(const QString& name) const { return dir.filePath(name); }

    QString writeFile(const QString& name, const QByteArray& bytes) const {
        const QString path = pathOf(name);
        if (!test::writeFile(path, bytes)) {
            qFatal("cannot write test file %s", qPrintable(path));
        }
        return path;
    }

    void openPath(const QString& path) {
        chooser->answers.push_back({FileChoice::Outcome::Confirmed, QUrl::fromLocalFile(path)});
        vc().Opendat();
    }

    void cancelOpen() {
        chooser->answers.push_back({FileChoice::Outcome::Cancelled, {}});
        vc().Opendat();
    }

    // Everything written to the diagnostic stream since the last call.
    std::string takeOutput() {
        std::string text = out.str();
        out.str({});
        return text;
    }

    QString label() const { return vc().fileselect()->text(); }
    QString picture() const { return vc().Picture()->imageName(); }
    // The outcome of the last action, as the status bar keeps it.
    StatusMessage& statusMessage() const { return StatusMessage::of(*vc().statusline()); }
    QString status() const { return statusMessage().text(); }
};

inline std::string urlLine(const QString& path) {
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded).toStdString() + "\n";
}

} // namespace mouthkey::testing

// Readable failure messages for the UTF-8 texts the controller holds.
namespace QTest {
template <> inline char* toString(const std::string& text) {
    return QTest::toString(QString::fromStdString(text));
}
} // namespace QTest
