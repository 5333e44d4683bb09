#pragma once

// Helpers shared by the dialog tests: readable compression values in failure
// messages, typed widget look-up by object name, and pressing a button of
// the modal dialog that exec() is about to show.

#include "compressfrm.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

inline char* toString(const TCompressValues& v)
{
    const QString text =
        QStringLiteral("{Freq %1 Mode %2 Q %3 Keep %4 ABr %5 Alg %6 Min %7 Max %8 VQ %9 ")
            .arg(v.Frequency)
            .arg(int(v.Mode))
            .arg(v.Quality)
            .arg(v.KeepFreq)
            .arg(v.ABitrate)
            .arg(int(v.Algorithm))
            .arg(v.MinBitrate)
            .arg(v.MaxBitrate)
            .arg(v.VBRQuality) +
        QStringLiteral("New %1 Copy %2 NonOrig %3 CRC %4}")
            .arg(v.VBRNew)
            .arg(v.Copyrighted)
            .arg(v.NonOriginal)
            .arg(v.CRCs);
    return qstrdup(text.toUtf8().constData());
}

Q_DECLARE_METATYPE(TCompressValues)

template <typename W> W* Find(const QObject* root, const char* name)
{
    W* w = root->findChild<W*>(QLatin1String(name));
    if (!w)
        qWarning("no widget named %s", name);
    return w;
}

// Clicks a radio button on its indicator; a click in the empty part of a
// stretched button misses it, as it would for the user.
inline void ClickRadio(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// Clicks the named button of the modal dialog as soon as exec() shows it;
// gives up after a few seconds so a missing dialog cannot block the test.
inline void ClickInModalSoon(const char* button)
{
    auto* timer = new QTimer(qApp);
    auto* deadline = new QDeadlineTimer(5000);
    QObject::connect(timer, &QTimer::timeout, qApp, [timer, deadline, button] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* b = modal ? modal->findChild<QPushButton*>(QLatin1String(button)) : nullptr;
        if (b || deadline->hasExpired()) {
            timer->stop();
            timer->deleteLater();
            delete deadline;
            if (b)
                b->click();
        }
    });
    timer->start(10);
}
