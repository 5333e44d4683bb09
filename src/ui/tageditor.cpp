#include "tageditor.h"

#include "genres.h"
#include "queue.h"
#include "sourcetags.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QStyleFactory>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kTagLength = 255;
constexpr int kYearLength = 4;
constexpr int kFieldWidth = 200;

// Held spin box arrows step again after 400 ms, then every 100 ms. Qt takes
// these timings from the widget's style, so the track box gets a style of
// its own over the application's.
class TSpinRepeatStyle final : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        switch (hint) {
        case SH_SpinBox_ClickAutoRepeatThreshold:
            return 400;
        case SH_SpinBox_ClickAutoRepeatRate:
            return 100;
        default:
            return QProxyStyle::styleHint(hint, option, widget, returnData);
        }
    }
};

QCheckBox* NewCheckBox(QWidget* parent, const char* name, const QString& caption)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QLineEdit* NewLineEdit(QWidget* parent, const char* name, int maxLength)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(maxLength);
    edit->setMinimumWidth(kFieldWidth);
    return edit;
}

// Seven boxes share the caption "Фикс."; the accessible name says which
// field each one fixes, and the tooltip what fixing does.
QCheckBox* NewFixBox(QWidget* parent, const char* name, const QString& field)
{
    QCheckBox* box = NewCheckBox(parent, name, QCoreApplication::translate("TTagEditor", "Фикс."));
    box->setAccessibleName(QCoreApplication::translate("TTagEditor", "Фикс.: ") + field);
    box->setToolTip(QCoreApplication::translate("TTagEditor", "Закрепить поле «%1»: его значение записывается в каждое "
                                   "добавляемое задание и в каждое задание, выбранное в очереди")
                        .arg(field));
    return box;
}

} // namespace

TTagEditor::TTagEditor(QWidget* parent) : QGroupBox(tr("Id3-тэги"), parent)
{
    setObjectName(QStringLiteral("GroupBox1"));

    // Created in tab order; labels take no focus.
    m_id3v1 = NewCheckBox(this, "Id3v1CBx", QStringLiteral("Id3v&1"));
    m_id3v2 = NewCheckBox(this, "Id3v2CBx", QStringLiteral("Id3v&2"));
    auto* trackLabel = new QLabel(tr("До&рожка №"), this);
    m_track = new QSpinBox(this);
    m_track->setObjectName(QStringLiteral("TrackEd"));
    m_track->setRange(0, 254);
    m_track->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    {
        QStyle* base = QStyleFactory::create(QApplication::style()->name());
        auto* style = new TSpinRepeatStyle(base); // takes base; null means the desktop style
        style->setParent(m_track);
        m_track->setStyle(style);
    }
    m_trackFix = NewFixBox(this, "TrackFixCB", tr("Дорожка"));
    m_trackAuto = NewCheckBox(this, "TrackAutoCB", tr("Авто"));
    m_trackAuto->setChecked(true);
    m_trackAuto->setToolTip(tr("Номер дорожки присваивается при обработке: по порядку "
                                           "названий у каждого исполнителя и альбома"));
    m_id3v1->setToolTip(tr("ID3v1 хранит только латиницу (Latin-1). Если текст тегов "
                                       "в него не помещается, например кириллица, к файлу "
                                       "добавляется и тег ID3v2, чтобы текст не пропал"));

    auto* titleLabel = new QLabel(tr("&Название"), this);
    m_title = NewLineEdit(this, "TItleEd", kTagLength);
    m_titleFix = NewFixBox(this, "TitleFixCB", tr("Название"));
    auto* artistLabel = new QLabel(tr("&Исполнитель"), this);
    m_artist = NewLineEdit(this, "ArtistEd", kTagLength);
    m_artistFix = NewFixBox(this, "ArtistFixCB", tr("Исполнитель"));
    auto* albumLabel = new QLabel(tr("&Альбом"), this);
    m_album = NewLineEdit(this, "AlbumEd", kTagLength);
    m_albumFix = NewFixBox(this, "AlbumFixCB", tr("Альбом"));
    auto* yearLabel = new QLabel(tr("&Год"), this);
    m_year = NewLineEdit(this, "YearEd", kYearLength);
    // The key filter handles typing; the validator keeps pasted or dropped
    // text to digits as well.
    m_year->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,4}")), m_year));
    m_year->installEventFilter(this);
    m_yearFix = NewFixBox(this, "YearFixCB", tr("Год"));
    auto* genreLabel = new QLabel(tr("&Стиль"), this);
    m_genre = new QComboBox(this);
    m_genre->setObjectName(QStringLiteral("GenreCBx"));
    m_genre->setEditable(false);
    m_genre->setMinimumWidth(kFieldWidth);
    m_genreFix = NewFixBox(this, "GenreFixCB", tr("Стиль"));
    auto* commentLabel = new QLabel(tr("&Комментарий"), this);
    m_comment = NewLineEdit(this, "CommentEd", kTagLength);
    m_commentFix = NewFixBox(this, "CommentFixCB", tr("Комментарий"));

    m_fileName = new QLineEdit(this);
    m_fileName->setObjectName(QStringLiteral("edFileName"));
    m_fileName->setReadOnly(true);
    m_fileName->setFrame(false);
    {
        QPalette pal = m_fileName->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::Button));
        m_fileName->setPalette(pal);
    }

    trackLabel->setBuddy(m_track);
    titleLabel->setBuddy(m_title);
    artistLabel->setBuddy(m_artist);
    albumLabel->setBuddy(m_album);
    yearLabel->setBuddy(m_year);
    genreLabel->setBuddy(m_genre);
    commentLabel->setBuddy(m_comment);

    auto* trackRow = new QHBoxLayout;
    trackRow->addWidget(m_id3v1);
    trackRow->addWidget(m_id3v2);
    trackRow->addStretch(1);
    trackRow->addWidget(trackLabel);
    trackRow->addWidget(m_track);
    trackRow->addWidget(m_trackFix);
    trackRow->addWidget(m_trackAuto);

    auto* grid = new QGridLayout;
    const std::pair<QLabel*, std::pair<QWidget*, QCheckBox*>> rows[] = {
        {titleLabel, {m_title, m_titleFix}},   {artistLabel, {m_artist, m_artistFix}},
        {albumLabel, {m_album, m_albumFix}},   {yearLabel, {m_year, m_yearFix}},
        {genreLabel, {m_genre, m_genreFix}},   {commentLabel, {m_comment, m_commentFix}},
    };
    int row = 0;
    for (const auto& [label, field] : rows) {
        grid->addWidget(label, row, 0);
        grid->addWidget(field.first, row, 1);
        grid->addWidget(field.second, row, 2);
        ++row;
    }
    grid->setColumnStretch(1, 1);

    auto* box = new QVBoxLayout(this);
    box->addLayout(trackRow);
    box->addLayout(grid);
    box->addWidget(m_fileName);
    m_fileName->installEventFilter(this); // re-elided when its width changes

    connect(m_id3v1, &QCheckBox::toggled, this, &TTagEditor::Id3v1CBxClick);
    connect(m_id3v2, &QCheckBox::toggled, this, &TTagEditor::Id3v2CBxClick);
    connect(m_track, &QSpinBox::valueChanged, this, &TTagEditor::TrackEdChange);
    connect(m_trackFix, &QCheckBox::toggled, this, &TTagEditor::TrackFixCBClick);
    connect(m_trackAuto, &QCheckBox::toggled, this, &TTagEditor::TrackAutoCBClick);
    connect(m_title, &QLineEdit::textChanged, this, &TTagEditor::TItleEdChange);
    connect(m_artist, &QLineEdit::textChanged, this, &TTagEditor::ArtistEdChange);
    connect(m_album, &QLineEdit::textChanged, this, &TTagEditor::AlbumEdChange);
    connect(m_year, &QLineEdit::textChanged, this, &TTagEditor::YearEdChange);
    connect(m_genre, &QComboBox::activated, this, &TTagEditor::GenreCBxChange);
    connect(m_comment, &QLineEdit::textChanged, this, &TTagEditor::CommentEdChange);
    // After the handlers above, which write into the job first.
    for (QLineEdit* edit : {m_title, m_artist, m_album, m_year, m_comment})
        connect(edit, &QLineEdit::textChanged, this, &TTagEditor::Edited);
    for (QCheckBox* box : {m_id3v1, m_id3v2, m_trackAuto})
        connect(box, &QCheckBox::toggled, this, &TTagEditor::Edited);
    connect(m_track, &QSpinBox::valueChanged, this, &TTagEditor::Edited);
    connect(m_genre, &QComboBox::activated, this, &TTagEditor::Edited);

    TrackAutoCBClick(true); // initial enabled states and colours
}

QString TTagEditor::UnknownGenreText()
{
    return tr("Неизв.");
}

quint8 TTagEditor::GenreIndexOf(const QString& name)
{
    for (int i = 0; i < GenreCount; ++i) {
        if (name == QLatin1String(GenreNames[std::size_t(i)]))
            return quint8(i);
    }
    return NoGenre;
}

void TTagEditor::FillGenres()
{
    QStringList names;
    names.reserve(GenreCount + 1);
    for (int i = 0; i < GenreCount; ++i)
        names.append(GenreName(i));
    names.append(UnknownGenreText());
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    m_genre->clear();
    // Each entry carries its genre number, so nothing reads a number back
    // from a displayed text.
    for (const QString& name : names)
        m_genre->addItem(name, int(GenreIndexOf(name)));
    m_genre->setCurrentIndex(-1);
}

void TTagEditor::SetCurrentJob(TQueueItem* job)
{
    // Held by Id: should the job leave the queue without the editor being
    // told, edits then reach no job instead of freed memory.
    m_queue = job ? job->Collection() : nullptr;
    m_jobId = job ? job->Id() : 0;
    if (!job) {
        ShowFileName(QString()); // a job that left the queue is not shown
        return;
    }

    // The order matters: each change below runs its handler, which writes
    // into this job, and the text fields may tick "Id3v1" on the way.
    ShowFileName(job->InputFile());
    m_id3v1->setChecked(job->Id3v1());
    m_id3v2->setChecked(job->Id3v2());

    if (TrackFixed()) {
        job->SetTrack(quint8(TrackNumber()));
        job->AutoTrack = false;
    } else {
        // A "Фикс." tick left under a ticked "Авто" does not fix the track,
        // so the job's own number and numbering mode are shown, not
        // overwritten with the box's number. Unticking "Авто" here would
        // bring that leftover tick to life and fix the track of every job
        // added or selected later, so it goes first.
        if (!job->AutoTrack && m_trackAuto->isChecked())
            m_trackFix->setChecked(false);
        SetTrackAuto(job->AutoTrack);
        m_track->setValue(job->Track());
    }

    auto load = [](QLineEdit* edit, const QCheckBox* fix, const QString& value, auto store) {
        if (fix->isChecked())
            store(edit->text().left(kTagLength));
        else
            edit->setText(value);
    };
    load(m_title, m_titleFix, job->Title(), [job](const QString& t) { job->SetTitle(t); });
    load(m_artist, m_artistFix, job->Artist(), [job](const QString& t) { job->SetArtist(t); });
    load(m_album, m_albumFix, job->Album(), [job](const QString& t) { job->SetAlbum(t); });
    load(m_year, m_yearFix, job->Year(), [job](const QString& t) { job->SetYear(t); });

    if (m_genreFix->isChecked())
        job->SetGenre(ShownGenre());
    else
        ShowGenre(job->Genre()); // a program selection: no handler runs

    load(m_comment, m_commentFix, job->Comment(), [job](const QString& t) { job->SetComment(t); });
}

TQueueItem* TTagEditor::CurrentJob() const
{
    return m_queue ? m_queue->Find(m_jobId) : nullptr;
}

TTagEditor::NewJobValues TTagEditor::NewJob()
{
    NewJobValues v;
    v.id3v1 = m_id3v1->isChecked();
    v.id3v2 = m_id3v2->isChecked();
    v.trackFix = m_trackFix->isChecked();
    if (v.trackFix)
        v.track = TrackNumber();
    v.trackFixed = TrackFixed();
    auto take = [](const QLineEdit* edit, const QCheckBox* fix, bool* fixed, QString* text) {
        *fixed = fix->isChecked();
        if (*fixed)
            *text = edit->text().left(kTagLength);
    };
    take(m_title, m_titleFix, &v.titleFix, &v.title);
    take(m_artist, m_artistFix, &v.artistFix, &v.artist);
    take(m_album, m_albumFix, &v.albumFix, &v.album);
    take(m_year, m_yearFix, &v.yearFix, &v.year);
    take(m_comment, m_commentFix, &v.commentFix, &v.comment);
    v.genreFix = m_genreFix->isChecked();
    if (v.genreFix)
        v.genre = ShownGenre();
    return v;
}

void TTagEditor::InitNewJob(TQueueItem& job, const TSourceTags* source)
{
    InitNewJob(job, NewJob(), source);
}

void TTagEditor::InitNewJob(TQueueItem& job, const NewJobValues& v, const TSourceTags* source)
{
    job.SetId3v1(v.id3v1);
    job.SetId3v2(v.id3v2);
    bool fromSource = false;

    job.SetTrack(0);
    if (v.trackFix)
        job.SetTrack(quint8(v.track));
    if (v.trackFixed) {
        job.AutoTrack = false;
    } else if (source && source->Track) {
        // A number the source gives is kept by the run instead of counted.
        job.SetTrack(*source->Track);
        job.AutoTrack = false;
        fromSource = true;
    }

    auto value = [&fromSource](bool fixed, const QString& text,
                               const std::optional<QString>* given) {
        if (fixed)
            return text;
        if (given && given->has_value()) {
            fromSource = true;
            return given->value();
        }
        return QString();
    };
    job.SetTitle(value(v.titleFix, v.title, source ? &source->Title : nullptr));
    job.SetArtist(value(v.artistFix, v.artist, source ? &source->Artist : nullptr));
    job.SetAlbum(value(v.albumFix, v.album, source ? &source->Album : nullptr));
    // The year setter ignores empty text; a zero is what empties a year.
    const QString year = value(v.yearFix, v.year, source ? &source->Year : nullptr);
    job.SetYear(year.isEmpty() ? QStringLiteral("0") : year);
    job.SetComment(value(v.commentFix, v.comment, source ? &source->Comment : nullptr));

    if (v.genreFix) {
        job.SetGenre(v.genre);
    } else if (source && source->Genre) {
        job.SetGenre(*source->Genre);
        fromSource = true;
    } else {
        job.SetGenre(NoGenre);
    }

    if (fromSource && !job.Id3v1() && !job.Id3v2())
        job.SetId3v2(true);
}

bool TTagEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_year && event->type() == QEvent::KeyPress)
        return YearEdKeyPress(static_cast<QKeyEvent*>(event));
    if (watched == m_fileName && event->type() == QEvent::Resize)
        ShowFileName(m_fullFileName);
    return QGroupBox::eventFilter(watched, event);
}

bool TTagEditor::YearEdKeyPress(const QKeyEvent* event) const
{
    // Keys without text (arrows, Home, End) move the cursor and pass, and so
    // do editing shortcuts (Ctrl+A, Ctrl+V, ...; the validator vets what a
    // paste brings). Qt gives Tab and Delete a text as well, but they are
    // focus and editing keys, not typed characters.
    const QString text = event->text();
    if (text.isEmpty() || (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)))
        return false;
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false;
    default:
        break;
    }
    const bool digit = text.size() == 1 && text[0] >= u'0' && text[0] <= u'9';
    return !digit;
}

void TTagEditor::ApplyTagVersionRule()
{
    // Ticking the box runs its handler, which turns Id3v1 on in the job.
    if (!m_id3v1->isChecked() && !m_id3v2->isChecked())
        m_id3v1->setChecked(true);
}

void TTagEditor::Id3v1CBxClick(bool checked)
{
    if (TQueueItem* job = CurrentJob())
        job->SetId3v1(checked);
}

void TTagEditor::Id3v2CBxClick(bool checked)
{
    if (TQueueItem* job = CurrentJob())
        job->SetId3v2(checked);
}

void TTagEditor::TrackEdChange(int value)
{
    TQueueItem* job = CurrentJob();
    if (!job)
        return;
    job->SetTrack(quint8(value));
    ApplyTagVersionRule();
}

void TTagEditor::TItleEdChange(const QString& text)
{
    TQueueItem* job = CurrentJob();
    if (!job)
        return;
    job->SetTitle(text.left(kTagLength));
    ApplyTagVersionRule();
}

void TTagEditor::ArtistEdChange(const QString& text)
{
    TQueueItem* job = CurrentJob();
    if (!job)
        return;
    job->SetArtist(text.left(kTagLength));
    ApplyTagVersionRule();
}

void TTagEditor::AlbumEdChange(const QString& text)
{
    TQueueItem* job = CurrentJob();
    if (!job)
        return;
    job->SetAlbum(text.left(kTagLength));
    ApplyTagVersionRule();
}

void TTagEditor::YearEdChange(const QString& text)
{
    TQueueItem* job = CurrentJob();
    if (!job)
        return;
    job->SetYear(text.left(kTagLength));
    ApplyTagVersionRule();
}

void TTagEditor::CommentEdChange(const QString& text)
{
    TQueueItem* job = CurrentJob();
    if (!job)
        return;
    job->SetComment(text.left(kTagLength));
    ApplyTagVersionRule();
}

void TTagEditor::GenreCBxChange(int index)
{
    TQueueItem* job = CurrentJob();
    if (!job)
        return;
    const QVariant genre = m_genre->itemData(index);
    job->SetGenre(genre.isValid() ? quint8(genre.toInt()) : NoGenre);
    ApplyTagVersionRule();
}

void TTagEditor::TrackAutoCBClick(bool checked)
{
    m_trackFix->setEnabled(!checked);
    m_track->setEnabled(!checked);
    // Enabled, the box has the usual field colour; disabled, it takes the
    // colour of the group box around it.
    if (checked) {
        QPalette pal = m_track->palette();
        pal.setColor(QPalette::Base, palette().color(QPalette::Window));
        m_track->setPalette(pal);
    } else {
        m_track->setPalette(QPalette());
    }
    if (TQueueItem* job = CurrentJob())
        job->AutoTrack = checked;
}

void TTagEditor::TrackFixCBClick(bool checked)
{
    if (checked)
        SetTrackAuto(false);
}

void TTagEditor::SetTrackAuto(bool on)
{
    // The auto rule runs even when the tick does not change.
    if (m_trackAuto->isChecked() != on)
        m_trackAuto->setChecked(on);
    else
        TrackAutoCBClick(on);
}

bool TTagEditor::TrackFixed() const
{
    return m_trackFix->isChecked() && !m_trackAuto->isChecked();
}

int TTagEditor::TrackNumber()
{
    // Text being typed counts once it is read: the box settles it into its
    // range first (an emptied box gives 0), as when it loses the focus.
    m_track->interpretText();
    return m_track->value();
}

void TTagEditor::ShowFileName(const QString& path)
{
    // Cut in the middle, so both the folder's start and the file's name stay
    // readable; the whole path is in the tooltip.
    m_fullFileName = path;
    m_fileName->setToolTip(path);
    // Until it is laid out the field has no width of its own to cut to.
    const int room = m_fileName->isVisible() ? m_fileName->contentsRect().width() - 6 : 0;
    m_fileName->setText(room > 0 ? m_fileName->fontMetrics().elidedText(path, Qt::ElideMiddle, room)
                                 : path);
    m_fileName->setCursorPosition(0);
}

quint8 TTagEditor::ShownGenre() const
{
    const QVariant genre = m_genre->currentData();
    return genre.isValid() ? quint8(genre.toInt()) : NoGenre;
}

void TTagEditor::ShowGenre(quint8 genre)
{
    const QString name = genre < GenreCount ? GenreName(genre) : UnknownGenreText();
    m_genre->setCurrentIndex(m_genre->findText(name));
}
