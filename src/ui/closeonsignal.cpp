#include "closeonsignal.h"

#include "signalwatcher.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <csignal>

TCloseOnSignal::TCloseOnSignal(QWidget* window, QObject* parent)
    : QObject(parent), m_window(window),
      m_watcher(new TSignalWatcher({SIGTERM, SIGINT, SIGHUP}, this))
{
    connect(m_watcher, &TSignalWatcher::Received, this, [this] {
        // A repeated signal never cuts the close short, which could lose a
        // file; while a step is pending it changes nothing.
        if (!m_stepPending)
            CloseStep();
    });
}

TCloseOnSignal::~TCloseOnSignal() = default;

void TCloseOnSignal::CloseStep()
{
    // Each step closes the innermost thing in the way and comes back from
    // the event loop, by then outside the nested loop of what it closed.
    const auto again = [this] {
        m_stepPending = true;
        QTimer::singleShot(10, this, [this] {
            m_stepPending = false;
            CloseStep();
        });
    };
    if (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
        again();
        return;
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        again();
        return;
    }
    // As by the close box: the window saves and, being the last one, ends
    // the program with status 0.
    if (m_window) {
        Q_EMIT Closing();
        m_window->close();
    }
}
