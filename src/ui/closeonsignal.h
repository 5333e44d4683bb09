#pragma once

#include <QObject>
#include <QPointer>

class QWidget;
class TSignalWatcher;

// Ends the program on SIGTERM, SIGINT and SIGHUP the way the close box of
// its main window does: a running batch is stopped safely and the settings
// are saved. A popup menu or modal dialog that is open is closed first, as
// its Esc key would, and the window only once its nested event loop has
// returned, so no handler of the dialog runs after the window is gone.
class TCloseOnSignal final : public QObject
{
    Q_OBJECT
public:
    explicit TCloseOnSignal(QWidget* window, QObject* parent = nullptr);
    ~TCloseOnSignal() override;

Q_SIGNALS:
    // Just before the window is closed on a signal.
    void Closing();

private:
    void CloseStep();

    QPointer<QWidget> m_window;
    TSignalWatcher* m_watcher;
    bool m_stepPending = false;
};
