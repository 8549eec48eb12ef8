#pragma once

#include "run/exiftool_run.h"
#include "run/extraction.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>
#include <vector>

class QTimer;

namespace kadrilo::report {

// What ExifTool made of one image.
struct ImageReading {
    bool read = false;
    // Read: the lines of its tag file that the counting rules look at (countedTagLines()).
    QByteArray tagLines;
    // Not read: why, in ExifTool's words when it gave some.
    QString reason;
};

// What the parts of a run left, told as one run would: how it ended (cancelled by the person;
// else the first part that could not start, else the first one aborted, with its own ending),
// and the images, tag files and unread images of all parts together.
ExtractionResult combineParts(const QVector<ExtractionResult> &parts, int imagesFound,
                              const QStringList &unreadableFolders, bool cancelled);

// Splits `images` into `parts` runs of consecutive images whose sizes differ by one at most:
// fewer runs when there are fewer images, none without images.
QVector<QList<QByteArray>> splitImages(const QList<QByteArray> &images, int parts);

// The images of one part as ExifTool's -@ reads them: one path a line. ExifTool strips a
// line's end and leading blanks and skips a line starting with "#", so such a path is
// written as a "#[CSTR]" line, whose C escapes ExifTool undoes. A relative path (a folder
// beyond the system's path limit) starts with "./", so that it never passes for an option.
QByteArray argumentFile(const QList<QByteArray> &images);

// The command of one part: the options of the single run, then "-w" with a tag file named
// after the image's place in the part's list ("0.txt", "1.txt"...: ExifTool's %C counts every
// file it is given, also one it cannot read), then "-@ `argumentFile`" instead of the folder.
ExiftoolCommand partCommand(ExiftoolCommandInput input, const QString &tagFolder,
                            const QString &argumentFile);

// Has several ExifTool processes read a list of raw images, each given consecutive images of
// the list and a tag folder of its own inside the report's private folder, and tells what each
// image gave. Cancelling, or destroying the object, kills every process still running.
class ParallelExtraction : public QObject {
    Q_OBJECT

public:
    explicit ParallelExtraction(QObject *parent = nullptr);
    ~ParallelExtraction() override;

    // Runs ExifTool with the options of `input` over `images` in at most `processes`
    // processes, writing into sub-folders of `privateFolder`, and checks what each left (see
    // combineParts). A part that cannot start or is aborted stops the others: the report
    // would not be printed. `readings()` then holds one entry per image.
    ExtractionResult run(const ExiftoolCommandInput &input, const QString &privateFolder,
                         const QList<QByteArray> &images, int processes);
    void cancel();

    const QVector<ImageReading> &readings() const { return m_readings; }
    // The version of ExifTool that wrote the tag files, from their "ExifToolVersion" line when
    // it was asked for; empty when no tag file said it.
    const QString &exiftoolVersion() const { return m_exiftoolVersion; }
    // The tag files written so far into all the tag folders.
    int tagFilesWritten() const;

Q_SIGNALS:
    // Emitted every ExiftoolRun::tickMilliseconds while the processes run.
    void tick();

private:
    // Stops every part still running.
    void stopParts();
    // Reads the tag files of the part `index`, whose images start at `first` in the list;
    // `named` are the images its ExifTool said it could not read (checkExtraction()).
    void readPart(int index, const QList<QByteArray> &images, qsizetype first,
                  const QVector<UnreadImage> &named);

    std::vector<std::unique_ptr<ExiftoolRun>> m_runs;
    std::unique_ptr<QTimer> m_ticker;
    QStringList m_tagFolders;
    QVector<ImageReading> m_readings;
    QString m_exiftoolVersion;
    bool m_cancelRequested = false;
};

} // namespace kadrilo::report
