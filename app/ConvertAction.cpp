#include "ConvertAction.h"

#include "TimingLoad.h"
#include "conversion/DatDocument.h"
#include "conversion/KeyframeDocument.h"

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>
#include <cstring>

namespace mouthkey {

namespace {

// The echo of a document's pieces, each a line of its own: the document is
// those pieces joined by newlines, so each line shares the document's bytes.
std::vector<DiagnosticLine> echoOf(const QByteArray& document,
                                   std::initializer_list<std::string_view> pieces) {
    std::vector<DiagnosticLine> lines;
    qsizetype at = 0;
    for (const std::string_view piece : pieces) {
        const auto size = static_cast<qsizetype>(piece.size());
        if (at + size <= document.size() &&
            std::memcmp(document.constData() + at, piece.data(), piece.size()) == 0) {
            lines.push_back({document, at, size});
        } else {
            lines.push_back(DiagnosticLine::copyOf(piece));
        }
        at += size + 1;
    }
    return lines;
}

// The clipboard takes ownership. Its own function, so that what a platform
// keeps of it past exit can be told apart from our own leaks.
QMimeData* clipboardData(const QByteArray& document) {
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("text/plain"), document);
    return mime;
}

qsizetype linesIn(std::string_view text) {
    // One line a keyframe, each ended by LF.
    return static_cast<qsizetype>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

ConvertAction::ConvertAction(DiagnosticOutput& output, QObject* parent)
    : QObject(parent), m_output(output), m_fps(rateLine(0)), m_headertop(mouthkey::headertop),
      m_headerbottom(mouthkey::headerbottom), m_footer(mouthkey::footer),
      m_mapping(buildMapping(-1)) {}

ConvertAction::Written ConvertAction::run(const TargetChoices& choices, const TimingLoad& load) {
    m_mapping = buildMapping(choices.setIndex, choices.letters);
    // The pop-up's row, or a rate typed beside it.
    m_fps = rateLine(choices.rate);
    m_fpsheader = m_fps;

    // At scale each document is twice the file: let the last one go before
    // the next is built, rather than holding both.
    std::string().swap(m_newdatout);
    m_written.clear();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->ownsClipboard()) {
        clipboard->clear();
    }

    // The document goes straight into the bytes the clipboard keeps: UTF-8,
    // which is what a paste asks for, rather than a UTF-16 copy twice its size.
    QByteArray document;
    std::vector<DiagnosticLine> lines;
    Written written;
    const auto append = [&document](std::string_view chunk) {
        document.append(chunk.data(), static_cast<qsizetype>(chunk.size()));
    };
    const bool take = load.loaded() && load.loaded()->take;
    std::optional<std::string> keyLines;
    if (!take) {
        keyLines = datKeyLines(load.newdat(), choices);
    }
    if (keyLines) {
        m_newdatout = std::move(*keyLines);
        written.keyframes = linesIn(m_newdatout);
        assembleDocument(document, m_headertop, m_fpsheader, m_headerbottom, m_newdatout, m_footer);
        // The echo of the pieces shares the document's bytes.
        lines = echoOf(document, {m_headertop, m_fpsheader, m_headerbottom, m_newdatout, m_footer});
    } else {
        std::vector<Finding> leftOut;
        const TargetResult result = load.write(choices, append, leftOut);
        written.keyframes = static_cast<qsizetype>(result.keyframes);
        if (choices.holds()) {
            written.holdSteps = result.holdSteps;
        }
        // A take's Position document is the one a .dat export of it converts
        // to, so its keyframe lines are kept too.
        const std::string head = documentHead(m_fpsheader);
        const std::string tail = documentTail();
        const std::string_view text(document.constData(),
                                    static_cast<std::size_t>(document.size()));
        if (take && !usesChart(choices.target) && text.size() >= head.size() + tail.size() &&
            text.starts_with(head) && text.ends_with(tail)) {
            m_newdatout = text.substr(head.size(), text.size() - head.size() - tail.size());
            lines =
                echoOf(document, {m_headertop, m_fpsheader, m_headerbottom, m_newdatout, m_footer});
        } else {
            lines.push_back({document, 0, document.size()});
        }
        m_written = leftOut;
        written.leftOut = std::move(leftOut);
    }

    // The echo, after the empty line that opens it, goes out as one batch,
    // so that it is written or dropped whole.
    lines.insert(lines.begin(), DiagnosticLine{});
    m_output.writeLines(std::move(lines));

    QMimeData* mime = clipboardData(document);
    document = {};
    clipboard->setMimeData(mime, QClipboard::Clipboard);
    return written;
}

} // namespace mouthkey
