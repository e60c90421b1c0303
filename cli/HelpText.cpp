// The lists and sections of the converter's help, each from its registry.
#include "HelpText.h"

#include "conversion/DocumentTarget.h"
#include "textinput/SoundFiles.h"
#include "textinput/TimingFormats.h"
#include "textinput/Utf8Text.h"

#include <QStringList>

#include <algorithm>
#include <string>
#include <vector>

namespace mouthkey {

namespace {

// "dat, tsv or pg2": every name a choice's table gives, as a usage error lists them.
template <class Choices, class NameOf> QString orList(const Choices& choices, NameOf nameOf) {
    QStringList names;
    for (const auto& choice : choices) {
        names << toQString(nameOf(choice));
    }
    const QString last = names.takeLast();
    return names.isEmpty() ? last
                           : names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

// Each format's name and what it looks like, as the registry describes it.
QString formatsText() {
    QString text;
    for (const TimingFormat& format : timingFormats()) {
        text += QStringLiteral("  ") + toQString(format.name).leftJustified(5) + QLatin1Char(' ') +
                toQString(format.help);
    }
    return text;
}

// Each format a take is written in, by its --target name and title.
QString timingTargetsText() {
    QString text;
    for (const TimingFormat* format : writtenFormats()) {
        text += QStringLiteral("  ") + toQString(format->name).leftJustified(10) +
                QStringLiteral("  ") + toQString(format->title) + QLatin1Char('\n');
    }
    return text;
}

} // namespace

QString formatNamesText() {
    // A sound is read by no row: it is timed, not parsed.
    std::vector<std::string_view> names;
    for (const TimingFormat& format : timingFormats()) {
        names.push_back(format.name);
    }
    names.push_back(soundFormatName);
    return orList(names, [](std::string_view name) { return name; });
}

QString writtenFormatNamesText() {
    return orList(writtenFormats(), [](const TimingFormat* format) { return format->name; });
}

// "position (default), time-remap or slider".
QString documentTargetsText() {
    return orList(targetRows(), [](const TargetRow& row) {
        return std::string(row.name) + (row.target == defaultTarget ? " (default)" : "");
    });
}

// "position, time-remap, slider, dat, tsv or labels": the document targets,
// then the formats a take is written in.
QString allTargetsText() {
    std::vector<std::string_view> names;
    for (const TargetRow& row : targetRows()) {
        names.push_back(row.name);
    }
    for (const TimingFormat* format : writtenFormats()) {
        names.push_back(format->name);
    }
    return orList(names, [](std::string_view name) { return name; });
}

// ".dat, .tsv or .pg2": every extension of a timing file, once each.
QString extensionsText() {
    std::vector<std::string> extensions;
    for (const TimingFormat& format : timingFormats()) {
        for (const std::string_view extension : format.extensions) {
            std::string dotted = "." + std::string(extension);
            if (std::find(extensions.begin(), extensions.end(), dotted) == extensions.end()) {
                extensions.push_back(std::move(dotted));
            }
        }
    }
    for (const std::string_view extension : soundExtensions) {
        extensions.push_back("." + std::string(extension));
    }
    return orList(extensions, [](const std::string& e) { return std::string_view(e); });
}

QString examplesText() {
    QString text = QStringLiteral(
        "\nExamples:\n"
        "  mouthkey-convert --fps 25 take1.dat -o take1.txt\n"
        "  mouthkey-convert -d keys shots/*.dat\n"
        "  find shots -name '*.dat' -print0 | xargs -0 -r mouthkey-convert -d keys\n"
        "  mouthkey-convert --check shots/*.dat\n"
        "  mouthkey-convert --fps 25 take1.tsv -o take1.txt\n"
        "  mouthkey-convert --voice Bob scene4.pgo -o bob.txt\n"
        "  mouthkey-convert --target time-remap take1.dat -o take1-remap.txt\n"
        "  mouthkey-convert --target slider --chart mouths.txt --no-hold take1.tsv\n"
        "  mouthkey-convert --print-chart --set PowerHouse > shots/mouth-chart.txt\n"
        "  mouthkey-convert --offset -12 take1.dat -o take1.txt\n"
        "  mouthkey-convert --hold take1.dat -o take1.txt\n"
        "  mouthkey-convert --target tsv --fps 25 take1.dat -o take1.tsv\n"
        "  mouthkey-convert --min-hold 2 --on 2 take1.tsv -o take1.txt\n"
        "With -d, a file that fails is named and skipped; the others are still converted.\n"
        "\nFormats, told by each file's text (the extension only breaks ties):\n");
    text += formatsText();
    text += QStringLiteral(
        "A cue at t seconds lands on frame 1 + floor(t * RATE); Rhubarb's letters A to H\n"
        "and X are always read by the chart of --letters. A project's frames are\n"
        "counted from 0 and come out as its own .dat export writes them.\n"
        "\nTargets, what the document animates:\n"
        "  position    the layer's Position, a strip of drawings slid by the set's values\n"
        "  time-remap  the Time Remap of a precomp holding one drawing a frame, in the\n"
        "              chart's order; each key lands inside its drawing's frame\n"
        "  slider      a Slider Control (\"Slider Control\", \"Slider\") holding the drawing's\n"
        "              number, for an expression on the precomp's Time Remap such as\n"
        "                framesToTime(effect(\"Slider Control\")(\"Slider\"))\n"
        "A mouth chart file lists one drawing a line, from drawing 0, each line the names\n"
        "it shows; '#' starts a comment:\n"
        "          # my mouths\n"
        "          rest X\n"
        "          AI D\n"
        "          MBP A\n"
        "A name not listed is left out, with a warning. --print-chart writes the set's own.\n"
        "\nTiming targets, the take itself written as a timing file:\n");
    text += timingTargetsText();
    text += QStringLiteral(
        "Each reads back to the same cues at the same --fps, and so converts to the same\n"
        "document. A .dat keeps the header line and line ends of a .dat input; a TSV\n"
        "writes each time in the fewest decimals that land on its frame at --fps, and its\n"
        "last line, the end of the take, is the last cue; a label track's labels run from\n"
        "one cue to the next, the last a point label.\n"
        "\nExit status, when converting (to standard output, -o or -d), with or without\n"
        "--strict:\n"
        "  0  every document was written\n"
        "  1  a file could not be read, decoded or written, or --strict refused it; its\n"
        "     output was left as it was, and with -d the others were still converted\n"
        "     (or DIR cannot be written into, and nothing was converted)\n"
        "  2  usage error, such as an unknown option, set or rate, inputs that would\n"
        "     share an output, or an output that would replace an input; nothing was\n"
        "     written\n"
        "With --check, as for cmp:\n"
        "  0  every file is clean\n"
        "  1  the checks found something\n"
        "  2  a file could not be read or decoded (the others were still checked), or\n"
        "     usage error\n\n");
    return text;
}

} // namespace mouthkey
