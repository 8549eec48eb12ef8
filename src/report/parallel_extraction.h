#pragma once

#include "run/exiftool_run.h"
#include "run/extraction.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>
#include <vector>

class QTimer;

namespace kadrilo {
struct Module1;
}

namespace kadrilo::report {

// What the parts of a run left, told as one run would: how it ended (cancelled by the person;
// else the first part that could not start, else the first one aborted, with its own ending),
// and the images, tag files and unread images of all parts together.
ExtractionResult combineParts(const QVector<ExtractionResult> &parts, int imagesFound,
                              const QStringList &unreadableFolders, bool cancelled);

// Splits `images` into `parts` runs of consecutive images whose sizes differ by one at most:
// fewer runs when there are fewer images, none without images.
QVector<QList<QByteArray>> splitImages(const QList<QByteArray> &images, int parts);

// The images of one part as ExifTool's -@ reads them: one path per line. ExifTool strips a
// line's end and leading blanks and takes a line starting with "#" for a comment, so a path
// that does not begin with the separator or holds a line break goes to `direct`, to be given
// on the command line as it is.
struct PartImages {
    QByteArray argumentFile;
    QStringList direct;
};
PartImages partImages(const QList<QByteArray> &images);

// The command of one part: the options of the single run, its -w into `tagFolder`, then
// "-@ `argumentFile`" and the direct paths instead of the image folder.
ExiftoolCommand partCommand(ExiftoolCommandInput input, const QString &tagFolder,
                            const QString &argumentFile, const QStringList &direct);

// The tag files of `folders`, as paths, ordered by file name as one folder's listing is (letter
// case ignored), so that lenses and bodies first occur in the order a single run gives them
// wherever image names are distinct. Equal names keep the order of their folders.
QStringList tagFilesByName(const QStringList &folders);

// Shares the raw images of a folder among several ExifTool processes, each given its own list
// of files and its own tag folder inside the report's private folder, and waits for them all.
// Cancelling, or destroying the object, kills every process still running.
class ParallelExtraction : public QObject {
    Q_OBJECT

public:
    explicit ParallelExtraction(QObject *parent = nullptr);
    ~ParallelExtraction() override;

    // Runs ExifTool over the images of `folder` in at most `processes` processes, writing into
    // sub-folders of `state.dossier_temp`, with the options the single run would use (`state`
    // and `extraTags`), and checks what each left (see combineParts). A part that cannot start
    // or is aborted stops the others: the report would not be printed.
    ExtractionResult run(Module1 &state, const QString &folder, int processes,
                         const QStringList &extraTags);
    void cancel();

    // The images listed, known once run() has listed them; -1 before.
    int images() const { return m_images; }
    // The tag folders of the parts, one per process started.
    const QStringList &tagFolders() const { return m_tagFolders; }
    // The tag files written so far into all the tag folders.
    int tagFilesWritten() const;

Q_SIGNALS:
    // The images are listed: images() holds their number.
    void listed();
    // Emitted every ExiftoolRun::tickMilliseconds while the processes run.
    void tick();

private:
    // Stops every part still running.
    void stopParts();

    std::vector<std::unique_ptr<ExiftoolRun>> m_runs;
    std::unique_ptr<QTimer> m_ticker;
    QStringList m_tagFolders;
    int m_images = -1;
    bool m_cancelRequested = false;
};

} // namespace kadrilo::report
