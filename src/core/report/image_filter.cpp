#include "report/image_filter.h"

#include "analysis/results.h"
#include "analysis/shot_classes.h"

namespace kadrilo::report {

namespace {

// True when `text` is asked for none, or the image's tag `value` holds it, ignoring case
// (Unicode case folding).
bool holds(QByteArrayView value, const QString &text) {
    return text.isEmpty() ||
           (!value.isNull() && QString::fromUtf8(value).contains(text, Qt::CaseInsensitive));
}

} // namespace

ImageFilter::ImageFilter(const ReportOptions &options)
    : m_lens(options.lens)
    , m_model(options.model)
    , m_since(options.since)
    , m_until(options.until) {}

bool ImageFilter::isActive() const {
    return !m_lens.isEmpty() || !m_model.isEmpty() || m_since.isValid() || m_until.isValid();
}

bool ImageFilter::keeps(const ImageTags &tags) const {
    if (!holds(tags.lensId, m_lens) || !holds(tags.model, m_model))
        return false;
    if (!m_since.isValid() && !m_until.isValid())
        return true;
    QDate day;
    int hour = 0;
    if (!shotDateTime(tags.dateTimeOriginal, day, hour))
        return false;
    return (!m_since.isValid() || day >= m_since) && (!m_until.isValid() || day <= m_until);
}

ReportSummary describeFilters(const ImageFilter &filter, int imagesBeforeFilter) {
    ReportSummary summary;
    summary.lensFilter = filter.lens();
    summary.modelFilter = filter.model();
    summary.sinceFilter = filter.since();
    summary.untilFilter = filter.until();
    summary.filesBeforeFilter = imagesBeforeFilter;
    return summary;
}

} // namespace kadrilo::report
