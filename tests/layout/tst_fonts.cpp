// Every text control gets at least the room its text asks for, at the font
// sizes desktops use (KDE 10 pt, GNOME 11 pt, large 14 pt) and below: the
// design sizes are the least a window takes, never a cap that clips.

#include "compressfrm.h"
#include "mainwindow.h"
#include "prefdialog.h"
#include "programsettings.h"
#include "propdialog.h"
#include "queue.h"
#include "tageditor.h"
#include "testutil.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TstFonts final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void textsFit_data();
    void textsFit();

private:
    QTemporaryDir m_home;
};

void TstFonts::initTestCase()
{
    QVERIFY(m_home.isValid());
    TestUtil::UseHome(m_home.path());
}

void TstFonts::textsFit_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<QString>("window");
    for (int points : {9, 11, 14}) {
        for (const char* window : {"panel", "preferences", "properties", "tags", "main"})
            QTest::addRow("%s, %d pt", window, points) << points << QString::fromLatin1(window);
    }
}

// Every label, check box, radio button and drop-down list that the user can
// see is at least as large as its size hint.
static QStringList Squeezed(QWidget* top)
{
    QStringList out;
    const auto check = [&](QWidget* w, const QString& text) {
        if (!w->isVisibleTo(top))
            return;
        const QSize hint = w->sizeHint();
        if (w->width() < hint.width() || w->height() < hint.height())
            out << QStringLiteral("%1 \"%2\": %3x%4 < %5x%6")
                       .arg(w->objectName(), text)
                       .arg(w->width()).arg(w->height())
                       .arg(hint.width()).arg(hint.height());
    };
    for (QLabel* w : top->findChildren<QLabel*>())
        check(w, w->text());
    for (QAbstractButton* w : top->findChildren<QAbstractButton*>()) {
        if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w))
            check(w, w->text());
    }
    for (QComboBox* w : top->findChildren<QComboBox*>())
        check(w, w->currentText());
    return out;
}

void TstFonts::textsFit()
{
    QFETCH(int, points);
    QFETCH(QString, window);
    const QFont before = QApplication::font();
    QFont font = before;
    font.setPointSize(points);
    QApplication::setFont(font);

    ProgramSettings settings;
    TQueue queue;
    queue.Add();
    std::unique_ptr<QWidget> top;
    QList<QWidget*> pages; // tabs are checked one after the other
    if (window == u"panel") {
        top = std::make_unique<TCompressFrm>();
    } else if (window == u"preferences") {
        top = std::make_unique<TPrefF>(settings, queue);
    } else if (window == u"properties") {
        top = std::make_unique<TPropF>(queue, queue.Items(0)->Id());
    } else if (window == u"tags") {
        auto editor = std::make_unique<TTagEditor>();
        editor->FillGenres();
        top = std::move(editor);
    } else {
        top = std::make_unique<TMainF>();
    }
    top->show();
    QVERIFY(QTest::qWaitForWindowExposed(top.get()));

    QStringList squeezed;
    if (auto* tabs = top->findChild<QTabWidget*>()) {
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            QApplication::processEvents();
            squeezed << Squeezed(top.get());
        }
    } else {
        QApplication::processEvents();
        squeezed = Squeezed(top.get());
    }
    squeezed.removeDuplicates();
    top.reset();
    QApplication::setFont(before);
    QVERIFY2(squeezed.isEmpty(), qPrintable(squeezed.join(u'\n')));
}

QTEST_MAIN(TstFonts)
#include "tst_fonts.moc"
