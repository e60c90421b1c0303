#pragma once

#include "WindowNote.h"
#include "conversion/KeyframeDocument.h"

#include <QComboBox>
#include <QLineEdit>

#include <optional>

namespace mouthkey {

// The rate in use: a row of the rate pop-up, or any rate from 1 to 1000
// typed in the field beside it, which no row has.
class RateChoice {
public:
    FrameRate rate(const QComboBox& rates) const;

    // A pop-up row's rate was chosen: the field shows it. Whether that rate
    // is now in use; not when the pop-up was only cleared for a typed rate.
    bool rowChosen(int rateIndex, QLineEdit* field);

    // What a rate typed in the field comes to.
    struct Typed {
        std::optional<StatusNote> refused; // not a rate: the field shows the rate in use again
        std::optional<FrameRate> use;      // a rate no row has, now in use
    };
    // The field was edited: a rate a row has is chosen on the pop-up, which
    // then says so by rowChosen; one no row has is used as typed.
    Typed typed(QComboBox& rates, QLineEdit& field);

private:
    std::optional<FrameRate> m_typed; // a rate no pop-up row has
};

} // namespace mouthkey
