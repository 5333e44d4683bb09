#pragma once

#include <QHash>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// One ReplayGain step of a run: loudgain writes ReplayGain 2.0 tags (ID3v2.3
// TXXX frames, the version lame writes) into MP3s that are done and at their
// final names: one track, or every track of an album at once for the album
// gain. The finished files are never written in place: each is copied into
// a hidden ".tessary-<16 hex digits>.gain.mp3" beside it, loudgain tags the
// copies, and only when it ends with status 0 and every copy carries the new
// tags does each copy replace its file in one rename (and only if the file
// is still as it was copied). Whatever else happens, the copies go and the
// MP3s stay as they were. The file copies go a slice per turn of the event
// loop, so the GUI thread never waits for a disk. Ended comes exactly once,
// always from the event loop.
class TGainStep final : public QObject
{
    Q_OBJECT
public:
    struct Track
    {
        quint64 jobId = 0;
        QString path; // the MP3 at its final name
    };

    TGainStep(std::vector<Track> tracks, bool album, QObject* parent = nullptr);
    ~TGainStep() override;

    const std::vector<Track>& Tracks() const { return m_tracks; }
    bool Album() const { return m_album; }

    // program: a path, or empty to look up "loudgain" like lame.
    void Start(const QString& program);
    // Kills loudgain; the step ends failed, every MP3 as it was.
    void Stop();

    // After Ended: why a track got no tags; a track not listed got them.
    const QHash<quint64, QString>& Failures() const { return m_failures; }

    // Whether a file name (without folder) is one of the step's copies, and
    // removing those no process holds in folder (left by a crash).
    static bool IsCopyName(const QString& fileName);
    static int RemoveStale(const QString& folder);

    // Whether loudgain can be found (beside Tessary or on PATH).
    static bool Available(const QString& program = QString());
    static QString MissingText();

Q_SIGNALS:
    void PercentChanged(int percent);
    void Ended();

private:
    struct Copy;
    void CopySlice();
    void StartLoudgain();
    void OnOutput();
    void OnFinished(int exitCode, QProcess::ExitStatus status);
    void OnError(QProcess::ProcessError error);
    void Commit();
    void FailAll(const QString& reason);
    void End();
    void Discard();

    std::vector<Track> m_tracks;
    bool m_album;
    QString m_program;
    std::vector<std::unique_ptr<Copy>> m_copies;
    std::size_t m_copying = 0; // the copy being filled
    QProcess* m_process = nullptr;
    QByteArray m_pending;
    QString m_lastMessage;
    int m_scanned = 0;
    bool m_stopping = false;
    bool m_ended = false;   // the outcome is decided
    bool m_endSent = false;
    QHash<quint64, QString> m_failures;
};
