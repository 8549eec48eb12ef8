#pragma once

#include "platform/platform.h"
#include "run/exiftool_run.h"

#include <QString>
#include <QStringList>

namespace kadrilo {

struct Module1;
class ImageCounter;

// What a run of ExifTool left, checked against the images it should have read.
struct ExtractionResult {
    ExiftoolRun::Outcome outcome = ExiftoolRun::Outcome::Finished;
    ExiftoolRun::Ending ending;
    // The raw images found in the folder by a count of our own, beside ExifTool.
    int imagesFound = 0;
    int tagFiles = 0;
    // Images that gave no tag file: missing from the tag files, or named by an error line of
    // ExifTool, whichever is more.
    int unreadImages = 0;
    // The images considered: those found, or more when ExifTool named others it could not read.
    int imagesConsidered = 0;
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

// Compares what ExifTool said and left with the images found.
ExtractionResult checkExtraction(const ExiftoolRun::Ending &ending,
                                 const platform::RawImageScan &images,
                                 const platform::TagFolder &tagFolder);

// Builds the ExifTool command for the image folder `dossier` from the shared state (setting
// `filtre_extension` and `ligne_commande`), runs it to its end while the images are counted
// beside it, then sets `extraction_faite`, whether or not ExifTool wrote anything. `run` and
// `counter` may be given to cancel the run or follow its progress; without them, objects of
// its own are used. `extraTags` are asked for beyond the seven of the form with sub-folders
// (the report's).
ExtractionResult extraire_exif(Module1 &state, const QString &dossier, ExiftoolRun *run = nullptr,
                               ImageCounter *counter = nullptr, const QStringList &extraTags = {});

// Starts `commande` as a new process and returns when it has ended. A start that keeps
// failing is given up: the outcome and the run's ending tell it.
ExiftoolRun::Outcome executer_commande(const ExiftoolCommand &commande, ExiftoolRun &run);

// The French texts that tell the person what went wrong, in the words both front ends use.
QString unreadImagesText(const ExtractionResult &result);
QString abortedText(const ExtractionResult &result);
QString writeFailedText(const ExtractionResult &result, const QString &tempFolder);
QString failedToStartText(const ExtractionResult &result, const QString &exiftoolPath);

} // namespace kadrilo
