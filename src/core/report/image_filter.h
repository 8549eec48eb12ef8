#pragma once

#include "analysis/tag_lines.h"
#include "report/report_options.h"
#include "report/report_summary.h"

#include <QDate>
#include <QString>

namespace kadrilo::report {

// Which images a report counts: those whose lens (LensID) and body (Model) hold the texts
// asked for, ignoring case, and whose shot (DateTimeOriginal) falls within the days asked for,
// both ends included. With a date bound, an image without a valid date is left out.
class ImageFilter {
public:
    explicit ImageFilter(const ReportOptions &options);

    // False when no filter was asked for: every image is kept.
    bool isActive() const;
    // Whether the image whose tag file was read into `tags` is counted. The first line of a
    // tag gives its value.
    bool keeps(const ImageTags &tags) const;

    const QString &lens() const { return m_lens; }
    const QString &model() const { return m_model; }
    const QDate &since() const { return m_since; }
    const QDate &until() const { return m_until; }

private:
    QString m_lens;
    QString m_model;
    QDate m_since;
    QDate m_until;
};

// The summary of a report whose filter is `filter`: its filters, the images read before them.
ReportSummary describeFilters(const ImageFilter &filter, int imagesBeforeFilter);

} // namespace kadrilo::report
