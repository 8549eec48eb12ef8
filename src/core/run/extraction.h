#pragma once

#include "platform/platform.h"
#include "run/exiftool_run.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace kadrilo {

struct Module1;
class ImageCounter;

// An image that gave no statistics, and why: ExifTool's own words when it gave some.
struct UnreadImage {
    QString path;
    QString reason;
};

// What a run of ExifTool left, checked against the images it should have read.
struct ExtractionResult {
    ExiftoolRun::Outcome outcome = ExiftoolRun::Outcome::Finished;
    ExiftoolRun::Ending ending;
    // The raw images found in the folder by a count of our own, beside ExifTool.
    int imagesFound = 0;
    int tagFiles = 0;
    // Images that gave no statistics: missing from the tag files, named by an error line of
    // ExifTool, or whose tag file holds ExifTool's error instead of tags.
    int unreadImages = 0;
    // The unread images that can be named, in the order they were met.
    QVector<UnreadImage> unreadNamed;
    // The images considered: those found, or more when ExifTool named others it could not read.
    int imagesConsidered = 0;
    // Images whose tags were counted; -1 until the analysis has run.
    int imagesAnalysed = -1;
    QStringList unreadableFolders;
    // Tag files missing or cut short because the temp folder's disk is full or takes no new
    // file; the first line in which ExifTool said so, if it did.
    bool writeFailed = false;
    QString writeError;

    // A normal end with every image read: nothing to tell the person.
    bool isComplete() const {
        return outcome == ExiftoolRun::Outcome::Finished && !writeFailed && unreadImages == 0 &&
               unreadableFolders.isEmpty();
    }
};

// How a work cycle ended, as both the window and the report tell it.
enum class RunVerdict {
    Complete,      // every image read
    Cancelled,     // stopped by the person
    FailedToStart, // ExifTool could not be started
    Aborted,       // ExifTool stopped before its end: killed, crashed or failed
    NotWritten,    // tag files could not all be written
    NoImage,       // the folder holds no raw image, and nothing went wrong
    NoTagFile,     // images were found, but nothing was written and nothing says why
    SomeUnread,    // some images, or folders, could not be read; the others were counted
};

// The one judgement of a run, once the analysis has set `imagesAnalysed`.
RunVerdict judgeRun(const ExtractionResult &result);

// Counts `unread` tag files, which hold ExifTool's error instead of tags, among the unread
// images of `result`: they were written, but they stand for no photo read.
void addUnreadTagFiles(ExtractionResult &result, const QVector<UnreadImage> &unread);

// The image named by one of ExifTool's error lines, "Error: <reason> - <file>"; false for
// another line.
bool parseImageError(const QString &line, UnreadImage &image);

// Compares what ExifTool said and left with the images found.
ExtractionResult checkExtraction(const ExiftoolRun::Ending &ending,
                                 const platform::RawImageScan &images,
                                 const platform::TagFolder &tagFolder);

// Builds the ExifTool command for the image folder `dossier` from the shared state (setting
// `filtre_extension` and `ligne_commande`), runs it to its end while the images are counted
// beside it, then sets `extraction_faite`, whether or not ExifTool wrote anything. `run` and
// `counter` may be given to cancel the run or follow its progress; without them, objects of
// its own are used.
ExtractionResult extraire_exif(Module1 &state, const QString &dossier, ExiftoolRun *run = nullptr,
                               ImageCounter *counter = nullptr);

// Starts `commande` as a new process and returns when it has ended. A start that keeps
// failing is given up: the outcome and the run's ending tell it.
ExiftoolRun::Outcome executer_commande(const ExiftoolCommand &commande, ExiftoolRun &run);

} // namespace kadrilo
