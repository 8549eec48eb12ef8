#pragma once

#include "run/extraction.h"

#include <QDate>
#include <QString>
#include <QVector>

namespace kadrilo::report {

// What a report tells beside the window's statistics: the filters it applied (an empty text
// or a null date is a filter not given), the images read before them, and the images it could
// not read, with ExifTool's reasons.
struct ReportSummary {
    QString lensFilter;
    QString modelFilter;
    QDate sinceFilter;
    QDate untilFilter;
    int filesBeforeFilter = 0;
    QVector<UnreadImage> unreadImages;

    bool filtered() const {
        return !lensFilter.isEmpty() || !modelFilter.isEmpty() || sinceFilter.isValid() ||
               untilFilter.isValid();
    }
    // The images read before the filters; without a filter, those `counted`.
    int imagesBeforeFilter(int counted) const { return filtered() ? filesBeforeFilter : counted; }
};

} // namespace kadrilo::report
