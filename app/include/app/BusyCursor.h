#pragma once

#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>

#include <cstdint>

namespace mouthkey {

// Shows the busy cursor for as long as it lives, when the work ahead is big
// enough to be noticed; small work would only make the cursor flicker.
class BusyCursor {
public:
    static constexpr std::int64_t noticeableBytes = 4 * 1024 * 1024;

    explicit BusyCursor(std::int64_t workBytes) : m_active(workBytes >= noticeableBytes) {
        if (m_active) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            // Let the window system see the cursor before the work blocks the loop.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    }
    ~BusyCursor() {
        if (m_active) {
            QGuiApplication::restoreOverrideCursor();
        }
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

    bool active() const { return m_active; }

private:
    bool m_active;
};

} // namespace mouthkey
