#pragma once

#include "run/exiftool_run.h"
#include "run/extraction.h"
#include "run/image_count.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QProgressBar;

namespace kadrilo {

struct Module1;
class ResultsView;

// What the work window needs from the window that shows it: the folder to analyse and the
// statistics window that the analysis writes into.
class WorkSource {
public:
    virtual ~WorkSource() = default;
    // The folder opened in the folder tree, in native form: a path that opens it.
    virtual QString currentFolder() const = 0;
    // The same folder as the person reads its name, for the statistics.
    virtual QString shownFolder() const { return currentFolder(); }
    // The statistics window, created hidden on first use.
    virtual ResultsView &statisticsWindow() = 0;
};

// The small window that stands in front of the folder window while a work cycle runs
// ExifTool and then the analysis. It is created once and hidden, never destroyed, after
// each cycle; the next cycle shows the same window again.
class frm_travail : public QDialog {
    Q_OBJECT

public:
    enum class Ending {
        Done,      // both steps ran; the statistics window holds the results
        Cancelled, // the person closed the window while ExifTool ran
    };

    explicit frm_travail(Module1 &state, QWidget *parent = nullptr);
    ~frm_travail() override;

    // Shows the window modally; its activation handler runs the steps that `etape_travail`
    // calls for, with the folder and statistics window of `source`, then hides the window.
    Ending showModal(WorkSource &source);

    // How the last extraction went; complete when this cycle ran no ExifTool.
    const ExtractionResult &lastExtraction() const { return m_extraction; }

    // Closing the window while ExifTool runs stops it; otherwise it does nothing, since the
    // window hides itself once its work is done.
    void reject() override;

Q_SIGNALS:
    // The activation handler is over (the window is about to hide).
    void workFinished();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Form_Activate();
    void startProgress();
    void setImageCount(int imageCount);
    void updateProgress();
    void stopProgress();

    Module1 &m_state;
    WorkSource *m_source = nullptr;
    ExiftoolRun m_run;
    ImageCounter m_counter;
    ExtractionResult m_extraction;
    bool m_activationDue = false;
    bool m_working = false;
    bool m_cancelled = false;
    int m_imageCount = -1; // -1 while the count runs

    QLabel *lbl_travail;
    QLabel *Image1;
    QListWidget *File1temp;
    QProgressBar *m_progress;
    QLabel *m_progressText;
};

} // namespace kadrilo
