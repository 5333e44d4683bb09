#pragma once

#include "newjob.h"

#include <QGroupBox>

struct TSourceTags;

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLineEdit;
class QSpinBox;
class TQueue;
class TQueueItem;

// The "Id3-тэги" box of the main window. It shows and edits the tag values
// of the current queue job, writing every edit into that job at once, and
// holds the values whose "Фикс." box is ticked so that they are stamped onto
// new jobs and onto every job the user selects.
//
// The handlers are wired to signals that fire for program changes as well
// (toggled, textChanged, valueChanged): loading a job relies on them running
// as if the user had made the change. The genre box is the exception; only
// the user's picks (activated) reach its handler.
class TTagEditor final : public QGroupBox
{
    Q_OBJECT
public:
    explicit TTagEditor(QWidget* parent = nullptr);

    // Fills the genre box with the genre names and "Неизв.", sorted, with
    // no entry selected.
    void FillGenres();

    // Makes job the current one and loads it into the editor; nullptr means
    // no current job, so edits then change no job. The editor keeps what it
    // shows, since that includes the fixed values.
    void SetCurrentJob(TQueueItem* job);
    TQueueItem* CurrentJob() const;

    // Gives a freshly created job the tag versions, the fixed values and the
    // track settings the editor holds. Where a field is not fixed, the
    // source's own value (if given) takes the place of "empty"; a job that
    // gets any value from its source and no tag version gets ID3v2.
    void InitNewJob(TQueueItem& job, const TSourceTags* source = nullptr);
    // What the editor holds for new jobs, for NewJob::Init.
    NewJob::Fixed FixedForNewJobs();


    // The genre number of a name as the genre box shows it: its index in
    // GenreNames (exact comparison), or 255 when it names no genre.
    static quint8 GenreIndexOf(const QString& name);

    // The genre box's entry for a genre outside the table.
    static QString UnknownGenreText();

Q_SIGNALS:
    // A value the editor writes into jobs changed (by the user or by loading).
    void Edited();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Id3v1CBxClick(bool checked);
    void Id3v2CBxClick(bool checked);
    void TrackEdChange(int value);
    void TItleEdChange(const QString& text);
    void ArtistEdChange(const QString& text);
    void AlbumEdChange(const QString& text);
    void YearEdChange(const QString& text);
    void CommentEdChange(const QString& text);
    void GenreCBxChange(int index);
    void TrackAutoCBClick(bool checked);
    void TrackFixCBClick(bool checked);
    // True when the typed key must be discarded.
    bool YearEdKeyPress(const QKeyEvent* event) const;

    void ApplyTagVersionRule();
    void SetTrackAuto(bool on);
    bool TrackFixed() const;
    int TrackNumber();
    void ShowGenre(quint8 genre);
    // The genre number of the entry the genre box shows; 255 for none.
    quint8 ShownGenre() const;
    void ShowFileName(const QString& path);

    QCheckBox* m_id3v1 = nullptr;
    QCheckBox* m_id3v2 = nullptr;
    QSpinBox* m_track = nullptr;
    QCheckBox* m_trackFix = nullptr;
    QCheckBox* m_trackAuto = nullptr;
    QLineEdit* m_title = nullptr;
    QCheckBox* m_titleFix = nullptr;
    QLineEdit* m_artist = nullptr;
    QCheckBox* m_artistFix = nullptr;
    QLineEdit* m_album = nullptr;
    QCheckBox* m_albumFix = nullptr;
    QLineEdit* m_year = nullptr;
    QCheckBox* m_yearFix = nullptr;
    QComboBox* m_genre = nullptr;
    QCheckBox* m_genreFix = nullptr;
    QLineEdit* m_comment = nullptr;
    QCheckBox* m_commentFix = nullptr;
    QLineEdit* m_fileName = nullptr;
    QString m_fullFileName;

    const TQueue* m_queue = nullptr;
    quint64 m_jobId = 0;
};
