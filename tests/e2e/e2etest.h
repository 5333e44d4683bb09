#pragma once

// Helpers for driving the whole main window as a user does: a private home
// and config folder set before the application exists, controls found by
// object name, real mouse clicks on tree nodes and list lines, modal dialogs
// answered from a poll, a record of every status text the window painted,
// and fake encoders written as small shell scripts.

#include "testutil.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QMap>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>
#include <memory>

namespace E2E {

// A throw-away HOME and XDG_CONFIG_HOME for the whole test program. Must be
// made before QApplication: Qt reads the standard paths once.
class TPrivateHome final
{
public:
    TPrivateHome()
    {
        qputenv("HOME", m_dir.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", ConfigPath().toUtf8());
        QDir().mkpath(MusicPath());
    }
    bool IsValid() const { return m_dir.isValid(); }
    QString Path() const { return m_dir.path(); }
    QString ConfigPath() const { return m_dir.path() + QStringLiteral("/config"); }
    QString MusicPath() const { return m_dir.path() + QStringLiteral("/Music"); }
    QString SettingsFile() const { return ConfigPath() + QStringLiteral("/Morvane/Tessary/1.0.reg"); }

private:
    QTemporaryDir m_dir;
};

template <typename T = QWidget>
T* Find(const QObject* root, const QString& name)
{
    T* object = root->findChild<T*>(name);
    if (!object)
        qWarning("no object named %s", qPrintable(name));
    return object;
}

// Clicks the node of folder in a folder tree. The tree reads folders in the
// background, so rows may still move under the mouse: the click is repeated
// until done() says it landed, or the deadline passes.
inline bool ClickTreeFolder(QTreeView* tree, const std::function<QModelIndex()>& nodeOf,
                            const std::function<bool()>& done, int timeoutMs = 10000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const QModelIndex node = nodeOf();
        if (node.isValid()) {
            tree->scrollTo(node);
            const QPoint at = tree->visualRect(node).center();
            if (tree->indexAt(at) == node)
                QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
        }
        if (done())
            return true;
        QTest::qWait(20);
    }
    return false;
}

// Clicks the given rows of a list view; every click after the first holds Ctrl.
inline void CtrlClickRows(QListView* list, const QList<int>& rows)
{
    bool first = true;
    for (int row : rows) {
        const QModelIndex index = list->model()->index(row, 0);
        list->scrollTo(index);
        QTest::mouseClick(list->viewport(), Qt::LeftButton,
                          first ? Qt::KeyboardModifiers() : Qt::ControlModifier,
                          list->visualRect(index).center());
        first = false;
    }
}

// Runs answer on the modal dialog of type D as soon as it is up. If none
// comes within the deadline, or answer leaves it open, the dialog is
// rejected so that a broken test cannot hang in exec().
template <typename D>
class TModalAnswer final : public QObject
{
public:
    explicit TModalAnswer(std::function<void(D*)> answer, int timeoutMs = 10000)
        : m_answer(std::move(answer)), m_deadline(timeoutMs)
    {
        connect(&m_timer, &QTimer::timeout, this, &TModalAnswer::Poll);
        m_timer.start(10);
    }
    bool Answered() const { return m_answered; }

private:
    void Poll()
    {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (m_deadline.hasExpired())
                m_timer.stop();
            return;
        }
        m_timer.stop();
        const QPointer<D> guard(dialog);
        m_answer(dialog);
        m_answered = true;
        if (guard && guard->isVisible())
            guard->reject();
    }

    std::function<void(D*)> m_answer;
    QDeadlineTimer m_deadline;
    QTimer m_timer;
    bool m_answered = false;
};

// Every text the status label painted, in order, without repeats. The run
// repaints the label at once whenever it sets a text, so a paint catches each.
class TStatusRecorder final : public QObject
{
public:
    explicit TStatusRecorder(QLabel* label) : m_label(label) { label->installEventFilter(this); }
    const QStringList& Texts() const { return m_texts; }
    // Called with each new text (before it is recorded).
    std::function<void(const QString&)> OnText;
    // Off: texts are only handed to OnText, so long runs keep no record.
    bool Keep = true;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_label && event->type() == QEvent::Paint) {
            const QString text = m_label->text();
            if (!m_seenAny || text != m_last) {
                if (OnText)
                    OnText(text);
                if (Keep)
                    m_texts << text;
                m_last = text;
                m_seenAny = true;
            }
        }
        return false;
    }

private:
    QLabel* m_label;
    QStringList m_texts;
    QString m_last;
    bool m_seenAny = false;
};

// Types text into a widget key by key. QTest::keyClicks only knows Latin-1,
// and tags here are Cyrillic.
inline void TypeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(c.toUpper().unicode()), QString(c),
                            Qt::NoModifier);
}

// Writes an executable shell script.
inline bool WriteScript(const QString& path, const QString& body)
{
    if (!TestUtil::WriteFile(path, (QStringLiteral("#!/bin/sh\n") + body).toUtf8()))
        return false;
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The value names of a settings file and their raw right-hand sides.
inline QMap<QString, QString> ReadRegValues(const QString& path)
{
    QMap<QString, QString> values;
    static const QRegularExpression line(QStringLiteral("^\"((?:[^\"\\\\]|\\\\.)*)\"=(.*)$"));
    const QString text = QString::fromUtf8(TestUtil::ReadFile(path));
    for (const QString& l : text.split(u'\n')) {
        const QRegularExpressionMatch m = line.match(l.trimmed());
        if (m.hasMatch())
            values.insert(m.captured(1), m.captured(2));
    }
    return values;
}

// The resident set size of this process in KiB.
inline long RssKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& l : status.readAll().split('\n')) {
        if (l.startsWith("VmRSS:"))
            return l.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace E2E

// A main() that gives the tests a private home before QApplication exists.
#define E2E_TEST_MAIN(TestClass)                                                          \
    int main(int argc, char* argv[])                                                      \
    {                                                                                     \
        E2E::TPrivateHome home;                                                           \
        if (!home.IsValid())                                                              \
            return 1;                                                                     \
        QApplication app(argc, argv);                                                     \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                          \
        QApplication::setApplicationName(QStringLiteral("Tessary"));                      \
        QApplication::setOrganizationName(QStringLiteral("Morvane"));                     \
        TestClass tc(home);                                                               \
        QTEST_SET_MAIN_SOURCE_PATH                                                        \
        return QTest::qExec(&tc, argc, argv);                                             \
    }
