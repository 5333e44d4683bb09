#pragma once

// Shared set-up of the tag editor tests: a fresh editor with its genre list
// and a queue for every test function, and the editor's controls by name.

#include "queue.h"
#include "tageditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include <memory>

class TagEditorFixture
{
protected:
    void Start()
    {
        m_queue = std::make_unique<TQueue>();
        m_editor = std::make_unique<TTagEditor>();
        m_editor->FillGenres();
    }
    void Stop()
    {
        m_editor.reset();
        m_queue.reset();
    }

    template <class T> T* W(const char* name) const
    {
        T* w = m_editor->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QLineEdit* Edit(const char* name) const { return W<QLineEdit>(name); }
    QCheckBox* Box(const char* name) const { return W<QCheckBox>(name); }
    QSpinBox* Track() const { return W<QSpinBox>("TrackEd"); }
    QComboBox* Genre() const { return W<QComboBox>("GenreCBx"); }

    TQueueItem* AddJob() // as AddToQueue does it
    {
        TQueueItem* job = m_queue->Add();
        m_editor->InitNewJob(*job);
        return job;
    }
    void PickGenre(const QString& text) // a user's pick: the box reports it as activated
    {
        const int i = Genre()->findText(text);
        QVERIFY2(i >= 0, qPrintable(text));
        Genre()->setCurrentIndex(i);
        Q_EMIT Genre()->activated(i);
    }

    std::unique_ptr<TQueue> m_queue;
    std::unique_ptr<TTagEditor> m_editor;
};
