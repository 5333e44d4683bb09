#include "genres.h"
#include "tageditorfixture.h"
#include "testutil.h"

#include <QLabel>
#include <QStyle>
#include <QTemporaryDir>

// The tag editor on its own, driven through its controls (found by name)
// against jobs of a real queue: controls, loading, fixed values, the
// tag-version rule and the genre box.
class TstTagEditor final : public QObject, private TagEditorFixture
{
    Q_OBJECT
private Q_SLOTS:
    void init() { Start(); }
    void cleanup() { Stop(); }

    void initialState_data();
    void initialState();
    void layoutAndGenreList();
    void loadingShowsJobValues();
    void noCurrentJob();
    void fixBoxesSayWhatTheyFix_data();
    void fixBoxesSayWhatTheyFix();
    void jobLeftQueueUntold();
    void fixedFieldStamped_data();
    void fixedFieldStamped();
    void tagVersionRuleOnEditing_data();
    void tagVersionRuleOnEditing();
    void tagVersionsByHand();
    void tagVersionRuleOnLoading_data();
    void tagVersionRuleOnLoading();
    void genreShownOnLoading_data();
    void genreShownOnLoading();
    void genrePicked_data();
    void genrePicked();
    void genreFixed_data();
    void genreFixed();
};

// Text fields by a short name, with the job field each one edits.
namespace {
struct TextField
{
    const char* edit;
    const char* fix;
    QString (*get)(const TQueueItem&);
    void (*set)(TQueueItem&, const QString&);
};

TextField Field(const QString& which)
{
    if (which == u"title")
        return {"TItleEd", "TitleFixCB", [](const TQueueItem& j) { return j.Title(); },
                [](TQueueItem& j, const QString& v) { j.SetTitle(v); }};
    if (which == u"artist")
        return {"ArtistEd", "ArtistFixCB", [](const TQueueItem& j) { return j.Artist(); },
                [](TQueueItem& j, const QString& v) { j.SetArtist(v); }};
    if (which == u"album")
        return {"AlbumEd", "AlbumFixCB", [](const TQueueItem& j) { return j.Album(); },
                [](TQueueItem& j, const QString& v) { j.SetAlbum(v); }};
    if (which == u"year")
        return {"YearEd", "YearFixCB", [](const TQueueItem& j) { return j.Year(); },
                [](TQueueItem& j, const QString& v) { j.SetYear(v); }};
    return {"CommentEd", "CommentFixCB", [](const TQueueItem& j) { return j.Comment(); },
            [](TQueueItem& j, const QString& v) { j.SetComment(v); }};
}
} // namespace

void TstTagEditor::initialState_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption"); // check boxes only
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("maxLength"); // text fields only

    const QString fix = QStringLiteral("Фикс.");
    QTest::newRow("Id3v1CBx") << "Id3v1CBx" << "Id3v&1" << false << true << 0;
    QTest::newRow("Id3v2CBx") << "Id3v2CBx" << "Id3v&2" << false << true << 0;
    QTest::newRow("TrackEd") << "TrackEd" << "" << false << false << 0;
    QTest::newRow("TrackFixCB") << "TrackFixCB" << fix << false << false << 0;
    QTest::newRow("TrackAutoCB") << "TrackAutoCB" << "Авто" << true << true << 0;
    for (const char* f : {"title", "artist", "album", "year", "comment"}) {
        const TextField tf = Field(QLatin1String(f));
        QTest::newRow(tf.edit) << tf.edit << "" << false << true
                               << (QLatin1String(f) == u"year" ? 4 : 255);
        QTest::newRow(tf.fix) << tf.fix << fix << false << true << 0;
    }
    QTest::newRow("GenreFixCB") << "GenreFixCB" << fix << false << true << 0;
    QTest::newRow("edFileName") << "edFileName" << "" << false << true << 32767;
}

void TstTagEditor::initialState()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(bool, checked);
    QFETCH(bool, enabled);
    QFETCH(int, maxLength);

    auto* w = m_editor->findChild<QWidget*>(name);
    QVERIFY(w);
    QCOMPARE(w->isEnabled(), enabled);
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
        QCOMPARE(box->text(), caption);
        QCOMPARE(box->isChecked(), checked);
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        QVERIFY(edit->text().isEmpty());
        QCOMPARE(edit->maxLength(), maxLength);
    }
}

void TstTagEditor::layoutAndGenreList()
{
    QCOMPARE(m_editor->objectName(), QStringLiteral("GroupBox1"));
    QCOMPARE(m_editor->title(), QStringLiteral("Id3-тэги"));

    // Tab order follows the rows of the box.
    const QStringList order = {
        "Id3v1CBx", "Id3v2CBx",    "TrackEd",  "TrackFixCB", "TrackAutoCB",  "TItleEd",
        "TitleFixCB", "ArtistEd",  "ArtistFixCB", "AlbumEd", "AlbumFixCB",   "YearEd",
        "YearFixCB", "GenreCBx",   "GenreFixCB", "CommentEd", "CommentFixCB", "edFileName"};
    QStringList seen;
    QWidget* w = Box("Id3v1CBx");
    do {
        if (order.contains(w->objectName()) && !seen.contains(w->objectName()))
            seen << w->objectName();
        w = w->nextInFocusChain();
    } while (w != Box("Id3v1CBx"));
    QCOMPARE(seen, order);

    // Label accelerators lead to their fields.
    QHash<QString, QString> buddies;
    for (auto* label : m_editor->findChildren<QLabel*>())
        if (label->buddy())
            buddies.insert(label->text(), label->buddy()->objectName());
    QCOMPARE(buddies.value("&Название"), QStringLiteral("TItleEd"));
    QCOMPARE(buddies.value("&Исполнитель"), QStringLiteral("ArtistEd"));
    QCOMPARE(buddies.value("&Альбом"), QStringLiteral("AlbumEd"));
    QCOMPARE(buddies.value("&Год"), QStringLiteral("YearEd"));
    QCOMPARE(buddies.value("&Стиль"), QStringLiteral("GenreCBx"));

    QSpinBox* track = Track();
    QCOMPARE(track->minimum(), 0);
    QCOMPARE(track->maximum(), 254);
    QCOMPARE(track->value(), 0);
    QCOMPARE(track->style()->styleHint(QStyle::SH_SpinBox_ClickAutoRepeatThreshold, nullptr, track),
             400);
    QCOMPARE(track->style()->styleHint(QStyle::SH_SpinBox_ClickAutoRepeatRate, nullptr, track), 100);
    QCOMPARE(track->palette().color(QPalette::Base), m_editor->palette().color(QPalette::Window));
    QVERIFY(Edit("edFileName")->isReadOnly());

    // Every genre name plus "Неизв.", alphabetical, nothing selected.
    QComboBox* genre = Genre();
    QVERIFY(!genre->isEditable());
    QCOMPARE(genre->count(), GenreCount + 1);
    QCOMPARE(genre->currentIndex(), -1);
    QVERIFY(genre->findText(QStringLiteral("Неизв.")) >= 0);
    for (int g = 0; g < GenreCount; ++g)
        QVERIFY2(genre->findText(GenreName(g)) >= 0, GenreNames[std::size_t(g)]);
    for (int i = 1; i < genre->count(); ++i)
        QVERIFY(genre->itemText(i - 1).compare(genre->itemText(i), Qt::CaseInsensitive) <= 0);
}

void TstTagEditor::loadingShowsJobValues()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.wav"));
    QVERIFY(TestUtil::WriteFile(file));

    TQueueItem* job = m_queue->Add();
    job->SetInputFile(file);
    job->SetId3v2(true);
    job->SetTitle(QStringLiteral("Заголовок"));
    job->SetArtist(QStringLiteral("Artist"));
    job->SetAlbum(QStringLiteral("Album"));
    job->SetYear(QStringLiteral("0999"));
    job->SetComment(QStringLiteral("Comment"));
    job->SetGenre(17);
    job->SetTrack(12);
    job->AutoTrack = false;

    m_editor->SetCurrentJob(job);
    QCOMPARE(m_editor->CurrentJob(), job);
    QCOMPARE(Edit("edFileName")->text(), file);
    QVERIFY(!Box("Id3v1CBx")->isChecked());
    QVERIFY(Box("Id3v2CBx")->isChecked());
    QVERIFY(!Box("TrackAutoCB")->isChecked());
    QVERIFY(Track()->isEnabled());
    QVERIFY(Box("TrackFixCB")->isEnabled());
    QCOMPARE(Track()->value(), 12);
    QCOMPARE(Edit("TItleEd")->text(), job->Title());
    QCOMPARE(Edit("ArtistEd")->text(), QStringLiteral("Artist"));
    QCOMPARE(Edit("AlbumEd")->text(), QStringLiteral("Album"));
    QCOMPARE(Edit("YearEd")->text(), QStringLiteral("0999"));
    QCOMPARE(Edit("CommentEd")->text(), QStringLiteral("Comment"));
    QCOMPARE(Genre()->currentText(), QStringLiteral("Rock"));

    // Loading wrote the values back unchanged.
    QCOMPARE(job->Title(), QStringLiteral("Заголовок"));
    QCOMPARE(job->Year(), QStringLiteral("0999"));
    QCOMPARE(job->Track(), quint8(12));
    QCOMPARE(job->Genre(), quint8(17));
    QVERIFY(!job->AutoTrack);
    QVERIFY(!job->Id3v1());

    // Edits go straight into the current job.
    Edit("ArtistEd")->setText(QStringLiteral("Other"));
    Track()->setValue(13);
    QCOMPARE(job->Artist(), QStringLiteral("Other"));
    QCOMPARE(job->Track(), quint8(13));

    // A path longer than the field is cut in the middle, whole in the tooltip.
    const QString deep = dir.filePath(QStringLiteral("Очень длинное имя папки/").repeated(6)
                                      + QStringLiteral("конец.wav"));
    QVERIFY(TestUtil::WriteFile(deep));
    job->SetInputFile(deep);
    m_editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_editor.get()));
    m_editor->SetCurrentJob(job);
    const QLineEdit* path = Edit("edFileName");
    QVERIFY2(path->text().startsWith(dir.path().left(4)) && path->text().contains(u'…')
                 && path->text().endsWith(QStringLiteral("конец.wav")),
             qPrintable(path->text()));
    QCOMPARE(path->toolTip(), deep);
    m_editor->SetCurrentJob(nullptr);
    QVERIFY(path->text().isEmpty());
}

void TstTagEditor::noCurrentJob()
{
    TQueueItem* job = m_queue->Add();
    m_editor->SetCurrentJob(job);
    m_editor->SetCurrentJob(nullptr);
    QCOMPARE(m_editor->CurrentJob(), nullptr);

    Edit("TItleEd")->setText(QStringLiteral("Typed"));
    Box("Id3v2CBx")->setChecked(true);
    Box("TrackAutoCB")->setChecked(false);
    PickGenre(QStringLiteral("Jazz"));
    QVERIFY(job->Title().isEmpty());
    QVERIFY(!job->Id3v2());
    QVERIFY(job->AutoTrack);
    QCOMPARE(job->Genre(), NoGenre);
    QVERIFY(!Box("Id3v1CBx")->isChecked()); // no job, so no tag-version rule

    // What was typed becomes a fixed value once its box is ticked.
    QVERIFY(AddJob()->Title().isEmpty());
    Box("TitleFixCB")->setChecked(true);
    QCOMPARE(AddJob()->Title(), QStringLiteral("Typed"));
}

void TstTagEditor::fixBoxesSayWhatTheyFix_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("field");
    QTest::newRow("track") << "TrackFixCB" << "Дорожка";
    QTest::newRow("title") << "TitleFixCB" << "Название";
    QTest::newRow("artist") << "ArtistFixCB" << "Исполнитель";
    QTest::newRow("album") << "AlbumFixCB" << "Альбом";
    QTest::newRow("year") << "YearFixCB" << "Год";
    QTest::newRow("genre") << "GenreFixCB" << "Стиль";
    QTest::newRow("comment") << "CommentFixCB" << "Комментарий";
}

void TstTagEditor::fixBoxesSayWhatTheyFix()
{
    QFETCH(QString, box);
    QFETCH(QString, field);
    QCheckBox* fix = Box(box.toLatin1().constData());
    QCOMPARE(fix->text(), QStringLiteral("Фикс."));
    QCOMPARE(fix->accessibleName(), QStringLiteral("Фикс.: ") + field);
    QVERIFY(fix->toolTip().contains(field));
}

void TstTagEditor::jobLeftQueueUntold()
{
    // Whatever removes the job, edits afterwards reach no job, not freed memory.
    m_editor->SetCurrentJob(m_queue->Add());
    m_queue->Delete(0);
    TQueueItem* next = m_queue->Add();
    QCOMPARE(m_editor->CurrentJob(), nullptr);
    Edit("TItleEd")->setText(QStringLiteral("Typed"));
    Box("TrackAutoCB")->setChecked(false);
    QCOMPARE(next->Title(), QString());
    QVERIFY(next->AutoTrack);
}

void TstTagEditor::fixedFieldStamped_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::newRow("title") << "title" << "Fixed title";
    QTest::newRow("artist") << "artist" << "Группа";
    QTest::newRow("album") << "album" << "Album";
    QTest::newRow("year") << "year" << "1999";
    QTest::newRow("comment") << "comment" << "Note";
}

void TstTagEditor::fixedFieldStamped()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    const TextField f = Field(field);

    TQueueItem* older = m_queue->Add();
    f.set(*older, QStringLiteral("1980")); // a valid year, and text for the others

    // Not fixed: new jobs get an empty value, whatever the field shows.
    Edit(f.edit)->setText(value);
    QVERIFY(f.get(*AddJob()).isEmpty());

    Box(f.fix)->setChecked(true);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(f.get(*AddJob()), value);

    // Selecting an older line stamps the fixed value instead of showing its own.
    m_editor->SetCurrentJob(older);
    QCOMPARE(f.get(*older), value);
    QCOMPARE(Edit(f.edit)->text(), value);
}

void TstTagEditor::tagVersionRuleOnEditing_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("v2");
    QTest::addColumn<bool>("expectV1");

    for (const char* c : {"TItleEd", "ArtistEd", "AlbumEd", "YearEd", "CommentEd", "TrackEd",
                          "GenreCBx"})
        QTest::newRow(c) << c << false << true;
    QTest::newRow("TItleEd, Id3v2 on") << "TItleEd" << true << false;
    QTest::newRow("GenreCBx, Id3v2 on") << "GenreCBx" << true << false;
}

void TstTagEditor::tagVersionRuleOnEditing()
{
    QFETCH(QString, control);
    QFETCH(bool, v2);
    QFETCH(bool, expectV1);

    TQueueItem* job = m_queue->Add();
    job->SetId3v2(v2);
    m_editor->SetCurrentJob(job);
    QVERIFY(!job->Id3v1());

    const QByteArray name = control.toLatin1();
    if (control == u"TrackEd") {
        Box("TrackAutoCB")->setChecked(false);
        Track()->setValue(9);
        QCOMPARE(job->Track(), quint8(9));
    } else if (control == u"GenreCBx") {
        PickGenre(QStringLiteral("Blues"));
        QCOMPARE(job->Genre(), quint8(0));
    } else {
        Edit(name.constData())->setText(QStringLiteral("1999"));
    }
    QCOMPARE(Box("Id3v1CBx")->isChecked(), expectV1);
    QCOMPARE(job->Id3v1(), expectV1);
    QCOMPARE(job->Id3v2(), v2);
}

void TstTagEditor::tagVersionsByHand()
{
    TQueueItem* job = m_queue->Add();
    m_editor->SetCurrentJob(job);
    Box("Id3v2CBx")->setChecked(true);
    QVERIFY(job->Id3v2());
    Edit("TItleEd")->setText(QStringLiteral("x"));
    QVERIFY(!job->Id3v1());

    // Both off by hand is allowed and sticks until the next tag edit.
    Box("Id3v2CBx")->setChecked(false);
    QVERIFY(!job->Id3v1());
    QVERIFY(!job->Id3v2());
    QVERIFY(!Box("Id3v1CBx")->isChecked());

    // New jobs take the tag versions the boxes show.
    Box("Id3v1CBx")->setChecked(true);
    TQueueItem* added = AddJob();
    QVERIFY(added->Id3v1());
    QVERIFY(!added->Id3v2());
    Box("Id3v2CBx")->setChecked(true);
    TQueueItem* both = AddJob();
    QVERIFY(both->Id3v1());
    QVERIFY(both->Id3v2());
    Box("Id3v1CBx")->setChecked(false);
    TQueueItem* second = AddJob();
    QVERIFY(!second->Id3v1());
    QVERIFY(second->Id3v2());
}

void TstTagEditor::tagVersionRuleOnLoading_data()
{
    QTest::addColumn<QString>("jobTitle");
    QTest::addColumn<int>("jobTrack");
    QTest::addColumn<int>("jobGenre");
    QTest::addColumn<bool>("jobV2");
    QTest::addColumn<bool>("titleFixed");
    QTest::addColumn<bool>("expectV1");

    // The editor shows the title "Shown", track 0 and no genre.
    QTest::newRow("title differs") << "Mine" << 0 << 255 << false << false << true;
    QTest::newRow("track differs") << "Shown" << 3 << 255 << false << false << true;
    QTest::newRow("nothing differs") << "Shown" << 0 << 255 << false << false << false;
    QTest::newRow("only genre differs") << "Shown" << 0 << 17 << false << false << false;
    QTest::newRow("fixed title replaces") << "Mine" << 0 << 255 << false << true << false;
    QTest::newRow("Id3v2 on") << "Mine" << 3 << 255 << true << false << false;
}

void TstTagEditor::tagVersionRuleOnLoading()
{
    QFETCH(QString, jobTitle);
    QFETCH(int, jobTrack);
    QFETCH(int, jobGenre);
    QFETCH(bool, jobV2);
    QFETCH(bool, titleFixed);
    QFETCH(bool, expectV1);

    Edit("TItleEd")->setText(QStringLiteral("Shown"));
    Box("TitleFixCB")->setChecked(titleFixed);

    TQueueItem* job = m_queue->Add();
    job->SetTitle(jobTitle);
    job->SetTrack(quint8(jobTrack));
    job->SetGenre(quint8(jobGenre));
    job->SetId3v2(jobV2);

    m_editor->SetCurrentJob(job);
    QCOMPARE(job->Id3v1(), expectV1);
    QCOMPARE(Box("Id3v1CBx")->isChecked(), expectV1);
    QCOMPARE(job->Id3v2(), jobV2);
    QCOMPARE(job->Title(), titleFixed ? QStringLiteral("Shown") : jobTitle);
    QCOMPARE(int(job->Genre()), jobGenre);
}

void TstTagEditor::genreShownOnLoading_data()
{
    QTest::addColumn<int>("genre");
    QTest::addColumn<QString>("shown");
    QTest::newRow("0") << 0 << "Blues";
    QTest::newRow("22, trailing blank") << 22 << "Death Metal ";
    QTest::newRow("147") << 147 << "Synthpop";
    QTest::newRow("148") << 148 << "Неизв.";
    QTest::newRow("255") << 255 << "Неизв.";
}

void TstTagEditor::genreShownOnLoading()
{
    QFETCH(int, genre);
    QFETCH(QString, shown);

    TQueueItem* job = m_queue->Add();
    job->SetGenre(quint8(genre));
    m_editor->SetCurrentJob(job);
    QCOMPARE(Genre()->currentText(), shown);
    QCOMPARE(int(job->Genre()), genre); // selecting by program writes nothing back
}

void TstTagEditor::genrePicked_data()
{
    QTest::addColumn<QString>("pick");
    QTest::addColumn<int>("genre");
    QTest::newRow("Неизв.") << "Неизв." << 255;
    QTest::newRow("Rock") << "Rock" << 17;
    QTest::newRow("trailing blank") << "Acid Jazz " << 74;
}

void TstTagEditor::genrePicked()
{
    QFETCH(QString, pick);
    QFETCH(int, genre);

    TQueueItem* job = m_queue->Add();
    job->SetGenre(5);
    m_editor->SetCurrentJob(job);
    PickGenre(pick);
    QCOMPARE(int(job->Genre()), genre);
}

void TstTagEditor::genreFixed_data()
{
    QTest::addColumn<QString>("shown"); // empty: no entry selected
    QTest::addColumn<int>("genre");
    QTest::newRow("nothing selected") << "" << 255;
    QTest::newRow("Неизв.") << "Неизв." << 255;
    QTest::newRow("Synthpop") << "Synthpop" << 147;
}

void TstTagEditor::genreFixed()
{
    QFETCH(QString, shown);
    QFETCH(int, genre);

    TQueueItem* older = m_queue->Add();
    older->SetGenre(5);

    Genre()->setCurrentIndex(shown.isEmpty() ? -1 : Genre()->findText(shown));
    QCOMPARE(int(AddJob()->Genre()), 255); // not fixed
    Box("GenreFixCB")->setChecked(true);
    QCOMPARE(int(AddJob()->Genre()), genre);

    m_editor->SetCurrentJob(older);
    QCOMPARE(int(older->Genre()), genre);
    QCOMPARE(Genre()->currentText(), shown);
}

QTEST_MAIN(TstTagEditor)
#include "tst_tageditor.moc"
