#pragma once

// What the window's benchmarks share: a chooser that is never asked, and a
// main() that runs them in an application on the offscreen platform.

#include "app/FileChooser.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace mouthkey::bench {

class NoChooser final : public FileChooser {
public:
    FileChoice chooseDatFile(QWidget*, const QString&) override { return {}; }
    FileChoice chooseChartFile(QWidget*, const QString&) override { return {}; }
    FileChoice chooseSoundFile(QWidget*, const QString&) override { return {}; }
    FileChoice chooseDrawingsFolder(QWidget*, const QString&) override { return {}; }
    FileChoice chooseSaveFile(QWidget*, const QString&, const QStringList&) override { return {}; }
};

inline int runInApplication(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace mouthkey::bench
