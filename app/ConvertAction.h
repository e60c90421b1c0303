#pragma once

#include "app/DiagnosticOutput.h"
#include "conversion/MappingTables.h"
#include "conversion/Targets.h"

#include <QObject>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mouthkey {

class TimingLoad;

// Convert: writes the loaded take's keyframe document for the choices, puts
// it on the clipboard and echoes it to the diagnostics; and keeps the pieces
// of the last one.
class ConvertAction : public QObject {
    Q_OBJECT
public:
    explicit ConvertAction(DiagnosticOutput& output, QObject* parent = nullptr);

    // What writing the document gave: its keyframes and hold steps, and, for
    // a document that is not plain Position, what it left out.
    struct Written {
        qsizetype keyframes = 0;
        std::optional<std::uint64_t> holdSteps;
        std::optional<std::vector<Finding>> leftOut;
    };
    Written run(const TargetChoices& choices, const TimingLoad& load);

    const std::string& fps() const { return m_fps; }
    // The converted keyframe lines of a plain Position document; empty when
    // the last document was written for other choices.
    const std::string& newdatout() const { return m_newdatout; }
    std::string_view headertop() const { return m_headertop; }
    const std::string& fpsheader() const { return m_fpsheader; }
    std::string_view headerbottom() const { return m_headerbottom; }
    std::string_view footer() const { return m_footer; }
    const MappingTable& mapping() const { return m_mapping; }
    // What writing the last document left out; empty for a plain Position one.
    const std::vector<Finding>& written() const { return m_written; }

private:
    DiagnosticOutput& m_output;
    std::string m_fps;
    std::string m_newdatout;
    const std::string_view m_headertop;
    std::string m_fpsheader;
    const std::string_view m_headerbottom;
    const std::string_view m_footer;
    MappingTable m_mapping;
    std::vector<Finding> m_written;
};

} // namespace mouthkey
